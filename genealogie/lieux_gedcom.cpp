// GEDCOM places: jurisdictions and coordinates.
#include "genealogie/lieux_gedcom.h"

#include "host/chaines.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine {

namespace {

std::string_view Rogne(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Elements(std::string_view texte) {
    std::vector<std::string_view> e;
    std::size_t debut = 0;
    while (true) {
        const std::size_t virgule = texte.find(',', debut);
        e.push_back(Rogne(texte.substr(debut, virgule - debut)));
        if (virgule == std::string_view::npos) break;
        debut = virgule + 1;
    }
    return e;
}

// A FORM label folded: lower case, Latin-1 accents removed, no spaces, '-', '_', '.' or '\''.
std::string PlieEtiquette(std::string_view etiquette) {
    static constexpr std::string_view sansAccent = "aaaaaaaceeeeiiiidnooooo*ouuuuyts"
                                                   "aaaaaaaceeeeiiiidnooooo/ouuuuyty";
    std::string r;
    for (std::size_t i = 0; i < etiquette.size(); ++i) {
        auto c = static_cast<unsigned char>(etiquette[i]);
        if ((c == 0xC3) && i + 1 < etiquette.size()) {
            const auto suite = static_cast<unsigned char>(etiquette[i + 1]);
            if (suite >= 0x80 && suite <= 0xBF) {
                r += sansAccent[suite - 0x80];
                ++i;
                continue;
            }
        }
        if (c == ' ' || c == '-' || c == '_' || c == '.' || c == '\'' || c == '\t') continue;
        r += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return r;
}

Juridiction JuridictionEtiquette(std::string_view etiquette) {
    struct Nom {
        std::string_view Texte;
        Juridiction Valeur;
    };
    static constexpr Nom noms[] = {
        {"lieudit", Juridiction::LieuDit},
        {"subdivision", Juridiction::LieuDit},
        {"hameau", Juridiction::LieuDit},
        {"commune", Juridiction::Commune},
        {"ville", Juridiction::Commune},
        {"town", Juridiction::Commune},
        {"city", Juridiction::Commune},
        {"codeinsee", Juridiction::CodeInsee},
        {"insee", Juridiction::CodeInsee},
        {"codepostal", Juridiction::CodePostal},
        {"postal", Juridiction::CodePostal},
        {"cp", Juridiction::CodePostal},
        {"areacode", Juridiction::CodePostal},
        {"postalcode", Juridiction::CodePostal},
        {"zip", Juridiction::CodePostal},
        {"zipcode", Juridiction::CodePostal},
        {"departement", Juridiction::Departement},
        {"county", Juridiction::Departement},
        {"region", Juridiction::Region},
        {"state", Juridiction::Region},
        {"province", Juridiction::Region},
        {"pays", Juridiction::Pays},
        {"country", Juridiction::Pays},
    };
    const std::string plie = PlieEtiquette(etiquette);
    for (const Nom& nom : noms)
        if (plie == nom.Texte) return nom.Valeur;
    return Juridiction::Inconnue;
}

bool EstChiffre(char c) {
    return c >= '0' && c <= '9';
}

// A commune or postal code: five digits, or the Corsican 2A/2B followed by three digits.
bool EstCode(std::string_view s) {
    if (s.size() != 5) return false;
    if (s[0] == '2' && (s[1] == 'A' || s[1] == 'B' || s[1] == 'a' || s[1] == 'b'))
        return std::all_of(s.begin() + 2, s.end(), EstChiffre);
    return std::all_of(s.begin(), s.end(), EstChiffre);
}

bool EstCodeCorse(std::string_view s) {
    return EstCode(s) && !EstChiffre(s[1]);
}

// "[Lieu-dit] - Commune": the lieu-dit and the commune, or false.
bool LitCrochets(std::string_view e, std::string_view& lieuDit, std::string_view& commune) {
    if (e.empty() || e.front() != '[') return false;
    const std::size_t fin = e.find(']');
    if (fin == std::string_view::npos) return false;
    lieuDit = Rogne(e.substr(1, fin - 1));
    std::string_view reste = Rogne(e.substr(fin + 1));
    if (!reste.empty() && reste.front() == '-') reste = Rogne(reste.substr(1));
    commune = reste;
    return true;
}

// The slots of a place without FORM, from its content.
std::vector<Juridiction> DevineForme(const std::vector<std::string_view>& e,
                                     const TestCommune& estCommune) {
    const std::size_t n = e.size();
    std::vector<Juridiction> f(n, Juridiction::Inconnue);
    std::string_view ld, commune;
    const bool crochets = LitCrochets(e[0], ld, commune);

    std::size_t k = 0;
    while (k < n && !EstCode(e[k]))
        ++k;
    std::size_t c = 0; // index of the commune
    if (k < n) {
        f[k] = EstCodeCorse(e[k]) ? Juridiction::CodeInsee : Juridiction::CodePostal;
        if (k == 0) {
            c = n; // a code with no town before it
        } else {
            c = k - 1;
        }
    } else if (crochets || n == 1) {
        c = 0;
    } else if (estCommune) {
        if (estCommune(e[0]))
            c = 0;
        else if (estCommune(e[1]) || e[0].empty())
            c = 1;
    } else if (e[0].empty() && !e[1].empty()) {
        c = 1;
    }
    if (c < n) {
        f[c] = Juridiction::Commune;
        if (!crochets)
            for (std::size_t i = 0; i < c; ++i)
                f[i] = Juridiction::LieuDit;
    }
    const bool lieuDitAvant = crochets || (c < n && c > 0);

    // After the code, or after the town when there is none: department, region, country and,
    // last, a lieu-dit.
    if (k < n) {
        const Juridiction suite[] = {Juridiction::Departement, Juridiction::Region,
                                     Juridiction::Pays, Juridiction::LieuDit};
        for (std::size_t i = 0; i < 4 && k + 1 + i < n; ++i)
            if (i < 3 || !lieuDitAvant) f[k + 1 + i] = suite[i];
        return f;
    }
    if (c >= n) return f;
    const std::size_t r = n - c - 1;
    auto pose = [&](std::size_t i, Juridiction j) {
        if (c + 1 + i < n) f[c + 1 + i] = j;
    };
    if (r == 1) {
        pose(0, Juridiction::Pays);
    } else if (r == 2) {
        pose(0, Juridiction::Departement);
        pose(1, Juridiction::Pays);
    } else if (r == 3) {
        pose(0, Juridiction::Departement);
        pose(1, Juridiction::Region);
        pose(2, Juridiction::Pays);
    } else if (r == 4 && !e[c + 1].empty()) {
        pose(0, Juridiction::Departement);
        pose(1, Juridiction::Region);
        pose(2, Juridiction::Pays);
        if (!lieuDitAvant) pose(3, Juridiction::LieuDit);
    } else if (r >= 4) {
        // An empty code slot, then department, region, country and perhaps a lieu-dit.
        pose(1, Juridiction::Departement);
        pose(2, Juridiction::Region);
        pose(3, Juridiction::Pays);
        if (r >= 5 && !lieuDitAvant) pose(4, Juridiction::LieuDit);
    }
    return f;
}

// The FORM's slots laid on the elements. When the FORM has a code slot that holds a name while
// the element next to it holds the code, the place left out or added one element: the slots
// move by one to match.
std::vector<Juridiction> AppliqueForme(const std::vector<std::string_view>& e,
                                       const std::vector<Juridiction>& forme) {
    const std::size_t n = e.size();
    int decalage = 0;
    for (std::size_t k = 0; k < forme.size() && k < n; ++k) {
        if (forme[k] != Juridiction::CodeInsee && forme[k] != Juridiction::CodePostal) continue;
        if (e[k].empty() || EstCode(e[k])) break;
        if (k + 1 < n && EstCode(e[k + 1]))
            decalage = 1;
        else if (k > 0 && EstCode(e[k - 1]))
            decalage = -1;
        break;
    }
    std::vector<Juridiction> f(n, Juridiction::Inconnue);
    for (std::size_t i = 0; i < n; ++i) {
        const long j = static_cast<long>(i) - decalage;
        if (j >= 0 && j < static_cast<long>(forme.size()))
            f[i] = forme[static_cast<std::size_t>(j)];
    }
    return f;
}

void Ajoute(std::string& cible, std::string_view valeur) {
    if (valeur.empty()) return;
    if (!cible.empty()) cible += ", ";
    cible += valeur;
}

std::string EcritCoordonnee(double v, char positif, char negatif) {
    // A point whatever the user's locale: "N46,3" is no GEDCOM.
    std::string s = TexteDecimal(std::fabs(v), 6);
    if (s.find('.') == std::string::npos) s += ".0";
    const bool nul = s.find_first_not_of("0.") == std::string::npos;
    return (v < 0 && !nul ? negatif : positif) + s;
}

} // namespace

std::vector<Juridiction> LitFormeLieu(std::string_view forme) {
    std::vector<Juridiction> f;
    if (Rogne(forme).empty()) return f;
    for (const std::string_view e : Elements(forme))
        f.push_back(JuridictionEtiquette(e));
    return f;
}

PartiesLieu DecoupeLieu(std::string_view texte, const std::vector<Juridiction>& forme,
                        const TestCommune& estCommune, std::string* texteLieu) {
    const std::vector<std::string_view> e = Elements(texte);
    const bool formeUtile = std::any_of(forme.begin(), forme.end(),
                                        [](Juridiction j) { return j != Juridiction::Inconnue; });
    const std::vector<Juridiction> f =
        formeUtile ? AppliqueForme(e, forme) : DevineForme(e, estCommune);

    PartiesLieu p;
    std::size_t crochets = e.size();
    std::string_view communeCrochets;
    for (std::size_t i = 0; i < e.size(); ++i) {
        switch (f[i]) {
        case Juridiction::LieuDit:
            Ajoute(p.LieuDit, e[i]);
            break;
        case Juridiction::Commune: {
            std::string_view ld;
            if (p.Commune.empty() && LitCrochets(e[i], ld, communeCrochets)) {
                crochets = i;
                Ajoute(p.LieuDit, ld);
                p.Commune = communeCrochets;
            } else if (p.Commune.empty()) {
                p.Commune = e[i];
            }
            break;
        }
        case Juridiction::CodeInsee:
            if (p.CodeInsee.empty()) p.CodeInsee = e[i];
            break;
        case Juridiction::CodePostal:
            if (p.CodePostal.empty()) p.CodePostal = e[i];
            break;
        case Juridiction::Departement:
            if (p.Departement.empty()) p.Departement = e[i];
            break;
        case Juridiction::Region:
            if (p.Region.empty()) p.Region = e[i];
            break;
        case Juridiction::Pays:
            if (p.Pays.empty()) p.Pays = e[i];
            break;
        case Juridiction::Inconnue:
            break;
        }
    }

    if (texteLieu) {
        std::vector<std::string_view> reste;
        for (std::size_t i = 0; i < e.size(); ++i) {
            if (f[i] == Juridiction::LieuDit) continue;
            reste.push_back(i == crochets ? communeCrochets : e[i]);
        }
        while (!reste.empty() && reste.back().empty())
            reste.pop_back();
        texteLieu->clear();
        for (std::size_t i = 0; i < reste.size(); ++i) {
            if (i) *texteLieu += ", ";
            *texteLieu += reste[i];
        }
    }
    return p;
}

std::optional<double> LitCoordonnee(std::string_view valeur, char& lettre) {
    lettre = 0;
    std::string_view v = Rogne(valeur);
    auto estLettre = [](char c) {
        return c == 'N' || c == 'S' || c == 'E' || c == 'W' || c == 'n' || c == 's' || c == 'e' ||
               c == 'w' || c == 'O' || c == 'o';
    };
    auto majuscule = [](char c) {
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        return c == 'O' ? 'W' : c; // "Ouest"
    };
    if (!v.empty() && estLettre(v.front())) {
        lettre = majuscule(v.front());
        v = Rogne(v.substr(1));
    } else if (!v.empty() && estLettre(v.back())) {
        lettre = majuscule(v.back());
        v = Rogne(v.substr(0, v.size() - 1));
    }
    if (v.size() >= 2 && v.substr(v.size() - 2) == "\xC2\xB0") v = Rogne(v.substr(0, v.size() - 2));
    if (v.empty() || v.size() > 40) return std::nullopt;

    std::string nombre;
    std::size_t i = 0;
    if (v[0] == '+' || v[0] == '-') {
        if (lettre && v[0] == '-') return std::nullopt;
        if (v[0] == '-') nombre += '-';
        i = 1;
    }
    std::size_t chiffres = 0;
    bool point = false;
    for (; i < v.size(); ++i) {
        const char c = v[i];
        if (EstChiffre(c)) {
            nombre += c;
            ++chiffres;
        } else if ((c == '.' || c == ',') && !point) {
            nombre += '.';
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (chiffres == 0) return std::nullopt;
    double d = 0;
    const auto [fin, erreur] = std::from_chars(nombre.data(), nombre.data() + nombre.size(), d);
    if (erreur != std::errc() || fin != nombre.data() + nombre.size() || !std::isfinite(d))
        return std::nullopt;
    if (lettre == 'S' || lettre == 'W') d = -d;
    return d;
}

bool LitCoordonneesTexte(std::string_view texte, double& latitude, double& longitude,
                         std::string_view& reste) {
    const std::string_view t = Rogne(texte);
    if (t.size() < 15) return false;
    const std::string_view c = t.substr(t.size() - 15);
    auto chiffres = [&](std::size_t debut, std::size_t n) {
        int v = 0;
        for (std::size_t i = debut; i < debut + n; ++i) {
            if (!EstChiffre(c[i])) return -1;
            v = v * 10 + (c[i] - '0');
        }
        return v;
    };
    const int latD = chiffres(0, 2), latM = chiffres(2, 2), latS = chiffres(4, 2);
    const int lonD = chiffres(7, 3), lonM = chiffres(10, 2), lonS = chiffres(12, 2);
    if (latD < 0 || latM < 0 || latS < 0 || lonD < 0 || lonM < 0 || lonS < 0) return false;
    if ((c[6] != 'N' && c[6] != 'S') || (c[14] != 'E' && c[14] != 'W')) return false;
    if (latM >= 60 || latS >= 60 || lonM >= 60 || lonS >= 60) return false;
    // The position stands alone: at the start, or after a space or a comma.
    std::string_view avant = t.substr(0, t.size() - 15);
    if (!avant.empty() && avant.back() != ' ' && avant.back() != ',') return false;
    latitude = latD + latM / 60.0 + latS / 3600.0;
    longitude = lonD + lonM / 60.0 + lonS / 3600.0;
    if (latitude > 90 || longitude > 180) return false;
    if (c[6] == 'S') latitude = -latitude;
    if (c[14] == 'W') longitude = -longitude;
    avant = Rogne(avant);
    if (!avant.empty() && avant.back() == ',') avant.remove_suffix(1);
    reste = Rogne(avant);
    return true;
}

std::string EcritLatitude(double latitude) {
    return EcritCoordonnee(latitude, 'N', 'S');
}
std::string EcritLongitude(double longitude) {
    return EcritCoordonnee(longitude, 'E', 'W');
}

} // namespace orlavine
