#include "geoloc/normalisation.h"

#include "host/chaines.h"

namespace orlavine::geoloc {

namespace {

constexpr const char* Separateur = " ; ";

// A postal code to drop: at least 5 characters, and a 32-bit integer once trimmed.
bool EstCodePostal(std::string_view piece) {
    return piece.size() >= 5 && EstEntier(SansBlancs(piece));
}

} // namespace

std::string DeleteCodePostal(std::string_view texte) {
    char separateur = 0;
    if (texte.find(';') != std::string_view::npos)
        separateur = ';';
    else if (texte.find(',') != std::string_view::npos)
        separateur = ',';
    else if (texte.find(' ') != std::string_view::npos)
        separateur = ' ';
    else
        return std::string(texte);

    std::string resultat;
    std::size_t debut = 0;
    for (;;) {
        const std::size_t fin = texte.find(separateur, debut);
        const std::string_view piece = texte.substr(
            debut, fin == std::string_view::npos ? std::string_view::npos : fin - debut);
        if (!EstCodePostal(piece)) {
            resultat += Separateur;
            resultat += piece;
        }
        if (fin == std::string_view::npos) break;
        debut = fin + 1;
    }
    return resultat;
}

std::string NormalizePlace(const IServicesLieux& services, int idLieu, std::string_view lieuDit,
                           double& longitude, double& latitude) {
    // Place 0 reads no record: every part stays empty.
    TPartiesLieu parties;
    if (idLieu != 0) parties = services.PartiesLieu(idLieu);

    std::string pays = parties.Pays;
    if (pays.empty()) pays = services.PaysParDefaut();
    if (pays.empty()) pays = "France";

    std::string code = parties.Code;
    if (pays == "France")
        code = services.GetCPByCom(parties.Ville, code, "Fr", longitude, latitude);
    if (!code.empty()) code += Separateur;

    std::string resultat;
    if (!lieuDit.empty()) {
        resultat += lieuDit;
        resultat += Separateur;
    }
    resultat += parties.Ville;
    resultat += "; ";
    resultat += code;
    resultat += parties.Region;
    resultat += Separateur;
    resultat += pays;
    return resultat;
}

std::string NormalizeAddress(const IServicesLieux& services, double& longitude, double& latitude,
                             std::string_view adresse, int idLieu, std::string_view lieuDit) {
    if (idLieu == -1) return DeleteCodePostal(adresse);
    return NormalizePlace(services, idLieu, lieuDit, longitude, latitude);
}

} // namespace orlavine::geoloc
