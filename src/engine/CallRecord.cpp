#include "engine/CallRecord.h"

#include <utility>

namespace trovix {

quint64 CallRecord::add(Answer done)
{
    pending_.insert(++last_, std::move(done));
    return last_;
}

void CallRecord::answer(quint64 call, const QVariant& result)
{
    if (!pending_.contains(call))
        return;
    // Taken out before it is called: an answer may send new calls, or answer others.
    while (!pending_.isEmpty() && pending_.firstKey() < call) {
        const Answer earlier = pending_.take(pending_.firstKey());
        if (earlier)
            earlier(QVariant());
    }
    const Answer own = pending_.take(call);
    if (own)
        own(result);
}

void CallRecord::giveUpAll()
{
    if (!pending_.isEmpty())
        answer(pending_.lastKey(), QVariant());
}

} // namespace trovix
