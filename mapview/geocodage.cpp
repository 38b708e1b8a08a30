#include "mapview/geocodage.h"

#include "atlas/carte_france.h"
#include "atlas/saisie.h"
#include "host/chaines.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace orlavine {

namespace {

std::string Nettoye(std::string_view e) {
    std::size_t d = 0, f = e.size();
    while (d < f && std::isspace(static_cast<unsigned char>(e[d])))
        ++d;
    while (f > d && std::isspace(static_cast<unsigned char>(e[f - 1])))
        --f;
    return std::string(e.substr(d, f - d));
}

bool QueDesChiffres(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
}

// Upper case without accents, spaces and apostrophes as the atlas writes names.
AnsiString FormeAtlas(const AnsiString& s) {
    return RemplaceCar(UpperANSIChaineAS(s), ' ', '-');
}

} // namespace

std::optional<monde::TPointGeo> TGeocodageCommunes::ChercheAdresse(const std::string& adresse) {
    const AnsiString texte = Utf8VersCp1252(adresse);
    std::vector<std::string> elements;
    std::string courant;
    for (char c : texte) {
        if (c == ',' || c == ';') {
            elements.push_back(Nettoye(courant));
            courant.clear();
        } else {
            courant += c;
        }
    }
    elements.push_back(Nettoye(courant));

    // A postal code or a department number narrows the namesakes.
    std::string codePostal, departement;
    for (const std::string& e : elements) {
        if (QueDesChiffres(e) && e.size() == 5 && codePostal.empty()) codePostal = e;
        if (((QueDesChiffres(e) && e.size() == 2) || e == "2A" || e == "2B") && departement.empty())
            departement = e;
    }
    const auto convient = [&](const TCommune& c) {
        if (!codePostal.empty() && c.CodePostal != codePostal &&
            c.CodeInsee.substr(0, 2) != codePostal.substr(0, 2))
            return false;
        return departement.empty() || c.CodeInsee.substr(0, 2) == departement;
    };

    for (const std::string& e : elements) {
        if (e.empty() || QueDesChiffres(e)) continue;
        AnsiString requete = e;
        const int mode = AnalyserSaisie(requete);
        if (mode != SaisieNom) continue;
        std::vector<std::uint16_t> resultats;
        atlas_.RechercheCommunes(resultats, requete, -1, -1, mode);
        const AnsiString voulu = FormeAtlas(e);
        int meilleure = -1;
        for (std::uint16_t i : resultats) {
            const TCommune& c = atlas_.Communes[i];
            if (FormeAtlas(TCarteFrance::NomComplet(c)) != voulu || !convient(c)) continue;
            if (meilleure < 0 || c.Rang > atlas_.Communes[static_cast<std::size_t>(meilleure)].Rang)
                meilleure = i;
        }
        if (meilleure >= 0) {
            const TCommune& c = atlas_.Communes[static_cast<std::size_t>(meilleure)];
            return monde::TPointGeo{c.Latitude, c.Longitude};
        }
    }
    return std::nullopt;
}

std::string TGeocodageCommunes::ChercheLieu(double latitude, double longitude) {
    const int meilleure = atlas_.CommuneProche(latitude, longitude, RayonLieuKm);
    if (meilleure < 0) return {};
    const TCommune& c = atlas_.Communes[static_cast<std::size_t>(meilleure)];
    AnsiString texte = atlas_.NomOfficiel(meilleure);
    if (!c.CodePostal.empty()) texte += ", " + c.CodePostal;
    const AnsiString dep = atlas_.NomDepartement(c.CodeInsee);
    if (!dep.empty()) texte += ", " + dep;
    texte += ", France";
    return Cp1252VersUtf8(texte);
}

} // namespace orlavine
