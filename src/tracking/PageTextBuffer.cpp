#include "tracking/PageTextBuffer.h"

namespace trovix {

PageTextBuffer::PageTextBuffer(QWidget* parent) : QWidget(parent)
{
    setVisible(false);
}

} // namespace trovix
