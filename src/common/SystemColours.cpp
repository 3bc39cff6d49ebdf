#include "common/SystemColours.h"

namespace trovix::colours {

QColor systemColour(quint32 designerValue)
{
    switch (designerValue) {
    case ApplicationWorkspace:
        return QColor(171, 171, 171);
    case InactiveBorder:
        return QColor(212, 208, 200);
    default:
        return QColor(Qt::white);
    }
}

} // namespace trovix::colours
