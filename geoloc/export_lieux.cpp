#include "geoloc/export_lieux.h"

#include "genealogie/base_gedcom.h"
#include "genealogie/services.h"
#include "host/chaines.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace orlavine::geoloc {

namespace {

// Seven decimals (about 1 cm), trailing zeros dropped, always with a point: "48.8566", "-1.5".
void AjouteDegres(std::string& s, double valeur) {
    s += TexteDecimal(valeur, 7);
}

void AjouteJson(std::string& s, std::string_view texte) {
    static constexpr char Hex[] = "0123456789abcdef";
    s += '"';
    for (const char c : texte) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            s += "\\\"";
            break;
        case '\\':
            s += "\\\\";
            break;
        case '\n':
            s += "\\n";
            break;
        case '\r':
            s += "\\r";
            break;
        case '\t':
            s += "\\t";
            break;
        default:
            if (u < 0x20 || u == 0x7f) {
                s += "\\u00";
                s += Hex[u >> 4];
                s += Hex[u & 15];
            } else {
                s += c;
            }
        }
    }
    s += '"';
}

// XML 1.0 allows no control character but tab, line feed and carriage return: the others
// become spaces.
void AjouteXml(std::string& s, std::string_view texte) {
    for (const char c : texte) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '&':
            s += "&amp;";
            break;
        case '<':
            s += "&lt;";
            break;
        case '>':
            s += "&gt;";
            break;
        case '"':
            s += "&quot;";
            break;
        case '\'':
            s += "&apos;";
            break;
        default:
            s += (u < 0x20 && c != '\t' && c != '\n' && c != '\r') || u == 0x7f ? ' ' : c;
        }
    }
}

std::string Joint(const std::vector<std::string>& parties) {
    std::string s;
    for (const std::string& p : parties) {
        if (!s.empty()) s += ", ";
        s += p;
    }
    return s;
}

// The feature's name: the lieu-dit with its place, or the place.
std::string Nom(const TLieuExporte& l) {
    return l.LieuDit.empty() ? l.Texte : l.LieuDit + " (" + l.Texte + ")";
}

bool EstLocalise(int etat) {
    return EtatDansFiltre(etat, FilterLocate) || EtatDansFiltre(etat, FilterPlaceCheck);
}

// Fill and outline colours of a state's marker, KML's aabbggrr.
const char* CouleurEtat(int etat) {
    switch (etat) {
    case EtatValide:
        return "ff2e9e2e"; // green
    case EtatLocaliseLu:
        return "ff1f8cf0"; // orange: as the file gave it
    case EtatCommunePays:
        return "ff28c8f0"; // yellow: the commune's centre, to check
    case EtatPlaceALaMain:
        return "ffb4508c"; // purple
    case EtatAdresseTrouvee:
        return "ffc8a028"; // light blue
    default:
        return "ffc86414"; // blue
    }
}

constexpr int EtatsKml[] = {EtatLocalise,       EtatLocaliseLu,  EtatPlaceALaMain,
                            EtatAdresseTrouvee, EtatCommunePays, EtatValide};

} // namespace

std::string_view NomEtatLieu(int etat) {
    switch (etat) {
    case EtatLocalise:
        return "localisé";
    case EtatNonLocalise:
        return "non localisé";
    case EtatLocaliseLu:
        return "localisé (fichier GEDCOM)";
    case EtatHorsTable:
        return "non localisé (absent de la table)";
    case EtatPlaceALaMain:
        return "placé à la main";
    case EtatAdresseTrouvee:
        return "trouvé par la recherche d'adresse";
    case EtatCommunePays:
        return "commune du fichier des pays";
    case EtatValide:
        return "validé";
    }
    return "inconnu";
}

std::vector<TLieuExporte> LieuxLocalises(TBaseGenealogie& base, long* sansPosition) {
    ConnexionSqlite& c = base.Connexion();

    // The texts of the places not deleted, by id.
    std::vector<std::string> textes;
    std::vector<bool> presents;
    {
        RequeteSqlite r(c, "SELECT id, texte FROM lieux WHERE supprime = 0");
        while (r.Pas()) {
            const auto id = static_cast<std::size_t>(r.Entier(0));
            if (id >= textes.size()) {
                textes.resize(id + 1);
                presents.resize(id + 1);
            }
            textes[id] = r.Texte(1);
            presents[id] = true;
        }
    }

    // The located entries, by place id then lieu-dit; each place id's entries by index.
    std::vector<TLieuExporte> sortie;
    std::vector<std::vector<std::size_t>> parLieu(presents.size());
    {
        RequeteSqlite r(c, "SELECT lieu, lieu_dit, latitude, longitude, etat, adresse, "
                           "provenance, date FROM geolocalisation "
                           "WHERE etat IN (0, 2, 4, 5, 6, 7) ORDER BY lieu, lieu_dit");
        while (r.Pas()) {
            const auto id = static_cast<std::size_t>(r.Entier(0));
            if (id >= presents.size() || !presents[id]) continue;
            TGeolocalisation g =
                LitLigneGeolocalisation(r, base.Chemin(), "la table de géolocalisation");
            if (!EstLocalise(g.Etat)) continue;
            TLieuExporte e;
            e.IdPlace = static_cast<int>(id);
            e.Texte = textes[id];
            e.LieuDit = std::move(g.LieuDit);
            e.Latitude = g.Latitude;
            e.Longitude = g.Longitude;
            e.Etat = g.Etat;
            e.Origine = g.Origine;
            parLieu[id].push_back(sortie.size());
            sortie.push_back(std::move(e));
        }
    }

    // Their events: the number and the distinct tags, in byte order. The places and lieux-dits
    // named by events but not located are counted once each when asked for.
    std::vector<std::vector<std::string>> nonLocalises(sansPosition ? presents.size() : 0);
    long absents = 0;
    {
        RequeteSqlite r(c, "SELECT lieu, lieu_dit, etiquette FROM evenements");
        while (r.Pas()) {
            const auto id = static_cast<std::size_t>(r.Entier(0));
            if (id >= parLieu.size() || !presents[id]) continue;
            const std::string_view lieuDit = r.Texte(1);
            TLieuExporte* trouve = nullptr;
            for (const std::size_t k : parLieu[id])
                if (sortie[k].LieuDit == lieuDit) trouve = &sortie[k];
            if (!trouve) {
                if (sansPosition) {
                    std::vector<std::string>& vus = nonLocalises[id];
                    if (std::find(vus.begin(), vus.end(), lieuDit) == vus.end()) {
                        vus.emplace_back(lieuDit);
                        ++absents;
                    }
                }
                continue;
            }
            TLieuExporte& e = *trouve;
            ++e.Evenements;
            const std::string_view etiquette = r.Texte(2);
            if (etiquette.empty()) continue;
            const auto place =
                std::lower_bound(e.Etiquettes.begin(), e.Etiquettes.end(), etiquette);
            if (place == e.Etiquettes.end() || *place != etiquette)
                e.Etiquettes.emplace(place, etiquette);
        }
    }
    if (sansPosition) *sansPosition = absents;
    return sortie;
}

std::string EcritGeoJson(const std::vector<TLieuExporte>& lieux) {
    std::string s;
    s.reserve(256 + lieux.size() * 320);
    s += "{\"type\":\"FeatureCollection\",\"features\":[";
    bool premier = true;
    for (const TLieuExporte& l : lieux) {
        s += premier ? "\n" : ",\n";
        premier = false;
        s += "{\"type\":\"Feature\",\"geometry\":{\"type\":\"Point\",\"coordinates\":[";
        AjouteDegres(s, l.Longitude);
        s += ',';
        AjouteDegres(s, l.Latitude);
        s += "]},\"properties\":{\"nom\":";
        AjouteJson(s, Nom(l));
        s += ",\"lieu\":";
        AjouteJson(s, l.Texte);
        s += ",\"lieu_dit\":";
        AjouteJson(s, l.LieuDit);
        s += ",\"latitude\":";
        AjouteDegres(s, l.Latitude);
        s += ",\"longitude\":";
        AjouteDegres(s, l.Longitude);
        s += ",\"etat\":";
        s += std::to_string(l.Etat);
        s += ",\"etat_nom\":";
        AjouteJson(s, NomEtatLieu(l.Etat));
        s += ",\"provenance\":";
        AjouteJson(s, NomProvenance(l.Origine));
        s += ",\"evenements\":";
        s += std::to_string(l.Evenements);
        s += ",\"etiquettes\":";
        AjouteJson(s, Joint(l.Etiquettes));
        s += "}}";
    }
    s += "\n]}\n";
    return s;
}

std::string EcritKml(const std::vector<TLieuExporte>& lieux, std::string_view titre) {
    std::string s;
    s.reserve(2048 + lieux.size() * 900);
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n<Document>\n<name>";
    AjouteXml(s, titre);
    s += "</name>\n";
    for (const int etat : EtatsKml) {
        s += "<Style id=\"etat";
        s += std::to_string(etat);
        s += "\"><IconStyle><color>";
        s += CouleurEtat(etat);
        s += "</color><scale>0.8</scale></IconStyle><LabelStyle><scale>0.8</scale></LabelStyle>"
             "</Style>\n";
    }
    auto donnee = [&s](const char* nom, std::string_view valeur) {
        s += "<Data name=\"";
        s += nom;
        s += "\"><value>";
        AjouteXml(s, valeur);
        s += "</value></Data>";
    };
    for (const TLieuExporte& l : lieux) {
        std::string lat, lon;
        AjouteDegres(lat, l.Latitude);
        AjouteDegres(lon, l.Longitude);
        s += "<Placemark><name>";
        AjouteXml(s, Nom(l));
        s += "</name><styleUrl>#etat";
        s += std::to_string(l.Etat);
        s += "</styleUrl><ExtendedData>";
        donnee("lieu", l.Texte);
        donnee("lieu_dit", l.LieuDit);
        donnee("latitude", lat);
        donnee("longitude", lon);
        donnee("etat", std::to_string(l.Etat));
        donnee("etat_nom", NomEtatLieu(l.Etat));
        donnee("provenance", NomProvenance(l.Origine));
        donnee("evenements", std::to_string(l.Evenements));
        donnee("etiquettes", Joint(l.Etiquettes));
        s += "</ExtendedData><Point><coordinates>";
        s += lon;
        s += ',';
        s += lat;
        s += "</coordinates></Point></Placemark>\n";
    }
    s += "</Document>\n</kml>\n";
    return s;
}

bool FormatLieuxParExtension(const std::filesystem::path& fichier, FormatLieux& format) {
    std::string e = fichier.extension().string();
    std::transform(e.begin(), e.end(), e.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (e == ".kml")
        format = FormatLieux::Kml;
    else if (e == ".geojson" || e == ".json")
        format = FormatLieux::GeoJson;
    else
        return false;
    return true;
}

TBilanExportLieux ExporteLieux(TBaseGenealogie& base, const std::filesystem::path& sortie,
                               FormatLieux format) {
    TBilanExportLieux bilan;
    const std::vector<TLieuExporte> lieux = LieuxLocalises(base);
    bilan.Entites = static_cast<long>(lieux.size());
    std::string titre = base.NomFichierOrigine();
    if (titre.empty()) titre = base.Chemin().filename().string();
    EcritAtomique(sortie, format == FormatLieux::Kml ? EcritKml(lieux, "Lieux de " + titre)
                                                     : EcritGeoJson(lieux));
    return bilan;
}

} // namespace orlavine::geoloc
