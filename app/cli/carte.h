// orlavine-cli carte: the picture the map window would show for a commune, rendered
// without a display.
#pragma once

#include "atlas/carte_france.h"

#include <memory>
#include <string>
#include <vector>

class QApplication;

namespace orlavine {

// The application the drawing of a picture needs, made off screen when the program has none
// yet (then kept by the caller while it draws), Qt's messages sent to the log; null when one
// exists already.
std::unique_ptr<QApplication> ApplicationHorsEcran();

// args: TEXTE --sortie FICHIER [--largeur W] [--hauteur H] [--zoom Z] [--rayon KM]
// [--voisines] (UTF-8, as typed). Writes a PNG or BMP picture, or an SVG or PDF drawing
// with the labels as text, by the file's extension.
// Returns the exit code: 0 written, 1 no commune found or the file could not be written,
// 2 bad command line.
int CommandeCarte(const std::vector<std::string>& args, TCarteFrance& carte);

// The options of the command, checked.
struct TOptionsCarte {
    std::string Texte;
    std::string Sortie;
    int Largeur = 1000;
    int Hauteur = 700;
    double Zoom = 0.0; // 0: chosen from the picture and the radius
    int RayonKm = 9;
    bool Voisines = false;
};
// False, with a French message in `erreur`, on a bad command line.
bool LitOptionsCarte(const std::vector<std::string>& args, TOptionsCarte& options,
                     std::string& erreur);
// The zoom used when none is given: the whole country, or with the neighbours a view where
// the radius disk fills most of the picture's smaller side.
double ZoomCarteParDefaut(const TOptionsCarte& options);

} // namespace orlavine
