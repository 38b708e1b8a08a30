#include "atlas/saisie.h"

namespace orlavine {

int AnalyserSaisie(AnsiString& texte) {
    texte = OteBlancsDebut(texte);
    const bool espaceFinal = !texte.empty() && texte.back() == ' ';
    if (espaceFinal) texte = OteBlancsFin(texte);
    if (texte.empty()) return SaisieVide;
    texte = UpperANSIChaineAS(texte, MajusculesSansAccents);

    if (EstEntier(texte)) {
        if (texte.size() >= 2) return SaisieCode;
        // A single digit is searched as a name.
    } else {
        if (texte.compare(0, 2, "2A") == 0 || texte.compare(0, 2, "2B") == 0) {
            if (texte.size() == 2 || EstEntier(std::string_view(texte).substr(2)))
                return SaisieCode;
        }
        if (texte.size() > 5 && EstEntier(std::string_view(texte).substr(0, 5))) {
            texte.resize(5); // a postal code followed by the town's name
            return SaisieCode;
        }
        texte = ElimineMultiSeparateur(texte, ' ');
        texte = RemplaceCar(texte, ' ', '-');
        if (texte.compare(0, 3, "LA-") == 0 || texte.compare(0, 3, "LE-") == 0) texte.erase(0, 3);
    }
    if (espaceFinal) texte += ' ';
    return SaisieNom;
}

} // namespace orlavine
