#pragma once

#include <QMap>
#include <QVariant>

#include <functional>

namespace trovix {

// The calls sent to a page and not answered yet. The page runs them in the order they
// were sent, so its answer to one means that every call sent before it, still unanswered,
// never will be (its document was replaced): those answer with an invalid value first.
// Each call is answered exactly once.
class CallRecord {
public:
    using Answer = std::function<void(const QVariant&)>;

    quint64 add(Answer done);
    bool isPending(quint64 call) const { return pending_.contains(call); }
    // Nothing when the call was answered already.
    void answer(quint64 call, const QVariant& result);
    // Every pending call answers with an invalid value.
    void giveUpAll();

private:
    QMap<quint64, Answer> pending_;
    quint64 last_ = 0;
};

} // namespace trovix
