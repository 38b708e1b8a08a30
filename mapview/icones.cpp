#include "mapview/icones.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace orlavine {

namespace {

#define SVG_DEBUT                                                                                  \
    "<svg xmlns='http://www.w3.org/2000/svg' width='24' height='24' viewBox='0 0 24 24'>"
#define SVG_FIN "</svg>"
#define LOUPE                                                                                      \
    "<circle cx='10' cy='10' r='7' fill='#eaf4ff' stroke='#2a4d7a' stroke-width='2'/>"             \
    "<line x1='15' y1='15' x2='22' y2='22' stroke='#5a3a1a' stroke-width='3' "                     \
    "stroke-linecap='round'/>"

const char* const Svg[NombreIcones] = {
    // 0 zoom in
    SVG_DEBUT LOUPE "<path d='M6 10h8M10 6v8' stroke='#1a7a1a' stroke-width='2.2'/>" SVG_FIN,
    // 1 zoom out
    SVG_DEBUT LOUPE "<path d='M6 10h8' stroke='#b01c1c' stroke-width='2.2'/>" SVG_FIN,
    // 2 whole map: a hexagon for the country in a frame
    SVG_DEBUT "<rect x='1.5' y='1.5' width='21' height='21' rx='2' fill='#ffffff' stroke='#555' "
              "stroke-width='1'/>"
              "<path d='M12 3 L19 6.5 L20.5 13 L16 20 L8 20.5 L3.5 14 L4.5 7 Z' fill='#cfe6c4' "
              "stroke='#2f5d2a' stroke-width='1.3'/>"
              "<path d='M2 6V2h4M18 2h4v4M22 18v4h-4M6 22H2v-4' fill='none' stroke='#2a4d7a' "
              "stroke-width='1.5'/>" SVG_FIN,
    // 3 zoom on the town: a target
    SVG_DEBUT
    "<circle cx='12' cy='12' r='9' fill='#fff' stroke='#2a4d7a' stroke-width='2'/>"
    "<circle cx='12' cy='12' r='5' fill='#fbe3e3' stroke='#2a4d7a' stroke-width='1.5'/>"
    "<circle cx='12' cy='12' r='2' fill='#d01c1c'/>"
    "<path d='M12 0v5M12 19v5M0 12h5M19 12h5' stroke='#2a4d7a' stroke-width='1.5'/>" SVG_FIN,
    // 4 hand (panning)
    SVG_DEBUT
    "<path d='M7 21c-2-2-4-6-4-8 0-1 1.5-1.5 2.5-.5L7 14V5c0-1.5 2-1.5 2 0v6V3.5c0-1.5 2-1.5 "
    "2 0V11V4.5c0-1.5 2-1.5 2 0V11V6.5c0-1.5 2-1.5 2 0V15c0 3-1 5-2.5 6Z' fill='#f6dcc0' "
    "stroke='#6b4a2a' stroke-width='1.2' stroke-linejoin='round'/>" SVG_FIN,
    // 5 distance disks
    SVG_DEBUT
    "<circle cx='12' cy='12' r='10.5' fill='#fff5d6' stroke='#c9a94a' stroke-width='1'/>"
    "<circle cx='12' cy='12' r='7' fill='#ffc4a8' stroke='#d98a5a' stroke-width='1'/>"
    "<circle cx='12' cy='12' r='3.5' fill='#ff6060' stroke='#b03030' stroke-width='1'/>" SVG_FIN,
    // 6 copy to the clipboard
    SVG_DEBUT
    "<rect x='4' y='3' width='13' height='17' rx='1.5' fill='#c89a5a' stroke='#6b4a2a' "
    "stroke-width='1.2'/>"
    "<rect x='8' y='1.5' width='5' height='3.5' rx='1' fill='#999' stroke='#555' "
    "stroke-width='0.8'/>"
    "<rect x='9' y='8' width='12' height='14' fill='#fff' stroke='#2a4d7a' stroke-width='1.2'/>"
    "<path d='M11 12h8M11 15h8M11 18h6' stroke='#7a9cc6' stroke-width='1.2'/>" SVG_FIN,
    // 7 e-mail
    SVG_DEBUT
    "<rect x='2' y='5' width='20' height='14' rx='1.5' fill='#fffbe8' stroke='#6b5a2a' "
    "stroke-width='1.3'/>"
    "<path d='M2.5 6l9.5 7.5 9.5-7.5' fill='none' stroke='#6b5a2a' stroke-width='1.3'/>" SVG_FIN,
    // 8 save to a file: a floppy disk
    SVG_DEBUT "<path d='M3 3h15l3 3v15H3Z' fill='#3d6fb6' stroke='#1f3f6e' stroke-width='1.2'/>"
              "<rect x='6' y='3.5' width='10' height='6' fill='#e8eef7'/>"
              "<rect x='12.5' y='4.5' width='2' height='4' fill='#1f3f6e'/>"
              "<rect x='6' y='13' width='12' height='7' fill='#ffffff'/>" SVG_FIN,
    // 9 print
    SVG_DEBUT
    "<rect x='6' y='2' width='12' height='7' fill='#fff' stroke='#444' stroke-width='1.2'/>"
    "<rect x='2' y='8' width='20' height='9' rx='1.5' fill='#9aa3ad' stroke='#444' "
    "stroke-width='1.2'/>"
    "<rect x='6' y='14' width='12' height='8' fill='#fff' stroke='#444' stroke-width='1.2'/>"
    "<path d='M8 17h8M8 19.5h6' stroke='#888' stroke-width='1'/>"
    "<circle cx='18.5' cy='11' r='1' fill='#3c3'/>" SVG_FIN,
    // 10 neighbouring communes: a town and the dots around it
    SVG_DEBUT "<circle cx='12' cy='12' r='3.5' fill='#d01c1c' stroke='#000' stroke-width='1'/>"
              "<circle cx='4' cy='5' r='2' fill='none' stroke='#000' stroke-width='1.2'/>"
              "<circle cx='19.5' cy='4.5' r='2' fill='none' stroke='#000' stroke-width='1.2'/>"
              "<circle cx='4.5' cy='19' r='2' fill='none' stroke='#000' stroke-width='1.2'/>"
              "<circle cx='19' cy='19.5' r='2' fill='none' stroke='#000' stroke-width='1.2'/>"
              "<rect x='10' y='1' width='4' height='4' fill='none' stroke='#000' "
              "stroke-width='1.2'/>" SVG_FIN,
};

#undef LOUPE
#undef SVG_FIN
#undef SVG_DEBUT

} // namespace

const char* SvgIconeCarte(int index) {
    if (index < 0 || index >= NombreIcones) return "";
    return Svg[index];
}

QIcon IconeCarte(int index) {
    if (index < 0 || index >= NombreIcones) return QIcon();
    QSvgRenderer rendu(QByteArray(Svg[index]));
    if (!rendu.isValid()) return QIcon();
    QIcon icone;
    for (int taille : {16, 24, 32, 48}) {
        QPixmap pixmap(taille, taille);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        rendu.render(&p);
        p.end();
        icone.addPixmap(pixmap);
    }
    return icone;
}

} // namespace orlavine
