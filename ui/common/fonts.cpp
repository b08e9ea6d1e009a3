#include "ui/common/fonts.h"

#include <QStringList>

namespace orvane::ui {

void installFontSubstitutions() {
    const QStringList sans{"Liberation Sans", "DejaVu Sans", "Arial", "Helvetica", "sans-serif"};
    QFont::insertSubstitutions("MS Sans Serif", sans);
    QFont::insertSubstitutions("Arial",
                               {"Liberation Sans", "DejaVu Sans", "Helvetica", "sans-serif"});
    // Verdana is wide and open; DejaVu Sans is drawn from the same Bitstream Vera lineage.
    QFont::insertSubstitutions("Verdana", {"DejaVu Sans", "Liberation Sans", "sans-serif"});
    QFont::insertSubstitutions("Comic Sans MS", {"Comic Neue", "DejaVu Sans", "sans-serif"});
    QFont::insertSubstitutions("Times New Roman", {"Liberation Serif", "DejaVu Serif", "serif"});
    QFont::insertSubstitutions("Courier New", {"Liberation Mono", "DejaVu Sans Mono", "monospace"});
}

QFont designFont(const QString& family, double points, bool bold) {
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QFont msSansSerif(double points, bool bold) {
    return designFont("MS Sans Serif", points, bold);
}

} // namespace orvane::ui
