#include "toolkit/qt/text_metrics.h"

#include <QFontMetrics>

#include "toolkit/qt/fonts.h"

namespace tk::qt {

Size QtTextMetrics::measure(const Font& font, const std::string& text) const {
    QFontMetrics fm(toQFont(font));
    return Size{fm.horizontalAdvance(QString::fromStdString(text)), fm.height()};
}

}  // namespace tk::qt
