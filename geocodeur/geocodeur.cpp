#include "geocodeur/geocodeur.h"

#include "atlas/carte_france.h"
#include "geocodeur/cle.h"
#include "host/chaines.h"
#include "host/geometrie.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <unordered_map>

namespace orlavine::geocodeur {

namespace {

constexpr double RayonTerreKm = 6371.0;
constexpr double KmParDegre = RayonTerreKm * std::numbers::pi / 180.0;
constexpr double PasGrille = 0.5; // degrees
constexpr int ColonnesGrille = static_cast<int>(360 / PasGrille);
constexpr int LignesGrille = static_cast<int>(180 / PasGrille);
// Bounds of what a search reads: bytes of text, pieces, words of a text without separators.
constexpr std::size_t LongueurMaxTexte = 1024;
constexpr std::size_t NombreMaxMorceaux = 16;
constexpr std::size_t NombreMaxMots = 12;

struct Zone {
    enum Genre : std::uint8_t { Pays, Province, Departement, Region } genre;
    std::uint32_t index;
};

// One piece of the text, read.
struct Morceau {
    std::string texte; // trimmed, as written
    std::string cle;
    enum Genre : std::uint8_t { Nom, LieuDit, Code, NumeroDepartement, Neutre } genre = Nom;
    std::string code; // Code: the 5 characters; NumeroDepartement: the department code
    const std::vector<Zone>* zones = nullptr;
};

// A point of the reverse-search grid: a commune of the atlas (ref >= 0) or a place of the
// world (ref = -1 - index).
struct PointGrille {
    float latitude, longitude;
    std::int32_t ref;
};

} // namespace

double DistanceKm(double lat1, double lon1, double lat2, double lon2) {
    const double dLat = Radians(lat2 - lat1), dLon = Radians(lon2 - lon1);
    const double a =
        std::sin(dLat / 2) * std::sin(dLat / 2) +
        std::cos(Radians(lat1)) * std::cos(Radians(lat2)) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * RayonTerreKm * std::asin(std::min(1.0, std::sqrt(a)));
}

struct TGeocodeur::Interne {
    const TCarteFrance* carte = nullptr;
    TMonde monde;

    std::unordered_map<std::string, std::vector<Zone>> zones;
    std::unordered_map<std::string, std::vector<std::int32_t>> communes; // key -> atlas index
    std::vector<std::string> departementCommune; // per atlas commune: "01" ... "2A"
    std::unordered_map<std::string, std::uint32_t> departementParCode;
    std::uint16_t paysFrance = AucuneProvince;
    std::vector<bool> paysFrancais; // per country: France or one of its overseas parts

    std::vector<std::uint32_t> debutCellules; // CSR over the grid cells
    std::vector<PointGrille> points;

    explicit Interne(const TCarteFrance* c, TMonde m) : carte(c), monde(std::move(m)) {
        IndexeZones();
        IndexeCommunes();
        ConstruitGrille();
    }

    void AjouteZone(const std::string& cle, Zone z) {
        if (cle.empty()) return;
        auto& v = zones[cle];
        for (const Zone& e : v)
            if (e.genre == z.genre && e.index == z.index) return;
        v.push_back(z);
    }

    void IndexeZones() {
        paysFrancais.assign(monde.Pays.size(), false);
        for (std::uint32_t i = 0; i < monde.Pays.size(); ++i) {
            if (monde.Pays[i].Iso == "FR") paysFrance = static_cast<std::uint16_t>(i);
            AjouteZone(Cle(monde.Pays[i].Nom), {Zone::Pays, i});
            for (const auto& c : monde.Pays[i].Cles)
                AjouteZone(c, {Zone::Pays, i});
        }
        for (std::uint32_t i = 0; i < monde.Provinces.size(); ++i) {
            AjouteZone(Cle(monde.Provinces[i].Nom), {Zone::Province, i});
            for (const auto& c : monde.Provinces[i].Cles)
                AjouteZone(c, {Zone::Province, i});
        }
        for (std::uint32_t i = 0; i < monde.Departements.size(); ++i) {
            const TDepartementFr& d = monde.Departements[i];
            departementParCode[d.Code] = i;
            AjouteZone(Cle(d.Nom), {Zone::Departement, i});
            for (const auto& c : d.Cles)
                AjouteZone(c, {Zone::Departement, i});
            if (const auto p = IndexPays(d.Pays)) paysFrancais[*p] = true;
        }
        for (std::uint32_t i = 0; i < monde.Regions.size(); ++i) {
            AjouteZone(Cle(monde.Regions[i].Nom), {Zone::Region, i});
            for (const auto& c : monde.Regions[i].Cles)
                AjouteZone(c, {Zone::Region, i});
        }
    }

    std::optional<std::uint16_t> IndexPays(std::string_view iso) const {
        for (std::size_t i = 0; i < monde.Pays.size(); ++i)
            if (monde.Pays[i].Iso == iso) return static_cast<std::uint16_t>(i);
        return std::nullopt;
    }

    // Every commune of the atlas under the key of its full name. Communes of other kinds
    // (delegated, associated, former) will come the same way, each under its own name and
    // with its own label, pointing at its record; the search needs nothing else of them.
    void IndexeCommunes() {
        if (!carte) return;
        departementCommune.reserve(carte->Communes.size());
        for (std::size_t i = 0; i < carte->Communes.size(); ++i) {
            const TCommune& c = carte->Communes[i];
            const std::string nom =
                Cp1252VersUtf8(c.Article.empty() ? c.Nom : c.Article + " " + c.Nom);
            communes[Cle(nom)].push_back(static_cast<std::int32_t>(i));
            departementCommune.push_back(MajusculesAscii(c.CodeInsee.substr(0, 2)));
        }
    }

    static std::pair<int, int> Cellule(double latitude, double longitude) {
        int ligne = static_cast<int>(std::floor((latitude + 90.0) / PasGrille));
        int colonne = static_cast<int>(std::floor((longitude + 180.0) / PasGrille));
        ligne = std::clamp(ligne, 0, LignesGrille - 1);
        colonne = ((colonne % ColonnesGrille) + ColonnesGrille) % ColonnesGrille;
        return {ligne, colonne};
    }

    void ConstruitGrille() {
        std::vector<PointGrille> tous;
        tous.reserve(monde.Lieux.size() + (carte ? carte->Communes.size() : 0));
        if (carte)
            for (std::size_t i = 0; i < carte->Communes.size(); ++i) {
                const TCommune& c = carte->Communes[i];
                if (!std::isfinite(c.Latitude) || !std::isfinite(c.Longitude) ||
                    std::fabs(c.Latitude) > 90 || std::fabs(c.Longitude) > 180)
                    continue;
                tous.push_back({c.Latitude, c.Longitude, static_cast<std::int32_t>(i)});
            }
        for (std::size_t i = 0; i < monde.Lieux.size(); ++i)
            tous.push_back({static_cast<float>(monde.Lieux[i].Latitude * 1e-5),
                            static_cast<float>(monde.Lieux[i].Longitude * 1e-5),
                            -1 - static_cast<std::int32_t>(i)});
        const std::size_t cellules = static_cast<std::size_t>(LignesGrille) * ColonnesGrille;
        debutCellules.assign(cellules + 1, 0);
        std::vector<std::uint32_t> numero(tous.size());
        for (std::size_t k = 0; k < tous.size(); ++k) {
            const auto [l, c] = Cellule(tous[k].latitude, tous[k].longitude);
            numero[k] = static_cast<std::uint32_t>(l * ColonnesGrille + c);
            ++debutCellules[numero[k] + 1];
        }
        for (std::size_t i = 0; i < cellules; ++i)
            debutCellules[i + 1] += debutCellules[i];
        points.resize(tous.size());
        std::vector<std::uint32_t> place(debutCellules.begin(), debutCellules.end() - 1);
        for (std::size_t k = 0; k < tous.size(); ++k)
            points[place[numero[k]]++] = tous[k];
    }

    // ---- Reading the text ----

    std::vector<Morceau> Decoupe(std::string_view texte) const {
        const char separateur = texte.find(';') != std::string_view::npos ? ';' : ',';
        std::vector<Morceau> morceaux;
        std::size_t debut = 0;
        while (debut <= texte.size()) {
            std::size_t fin = texte.find(separateur, debut);
            if (fin == std::string_view::npos) fin = texte.size();
            std::string_view piece = SansBlancs(texte.substr(debut, fin - debut));
            // "[Lieu-dit] - Commune": the bracketed lieu-dit, then the commune.
            if (!piece.empty() && piece.front() == '[') {
                const std::size_t ferme = piece.find(']');
                if (ferme != std::string_view::npos) {
                    Morceau m;
                    m.texte = std::string(piece.substr(1, ferme - 1));
                    m.genre = Morceau::LieuDit;
                    morceaux.push_back(std::move(m));
                    piece = piece.substr(ferme + 1);
                    while (!piece.empty() && (piece.front() == '-' || piece.front() == ' '))
                        piece.remove_prefix(1);
                }
            }
            // "Le Havre (76)", "Saint-Martin (Seine-Maritime)": what the parentheses hold
            // is read as the piece after the town. An article stays with the name.
            if (!piece.empty() && piece.back() == ')') {
                const std::size_t ouvre = piece.rfind('(');
                if (ouvre != std::string_view::npos && ouvre > 0) {
                    const std::string_view dedans =
                        SansBlancs(piece.substr(ouvre + 1, piece.size() - ouvre - 2));
                    const std::string cle = Cle(dedans);
                    if (!dedans.empty() && cle != "LE" && cle != "LA" && cle != "LES" &&
                        cle != "L") {
                        const std::string_view avant = SansBlancs(piece.substr(0, ouvre));
                        if (!avant.empty()) morceaux.push_back(Lit(avant));
                        piece = dedans;
                    }
                }
            }
            // "75001 Paris", "Paris 75001": the address line of a letter, the town first.
            if (const auto coupe = CodeEnTete(piece)) {
                morceaux.push_back(Lit(coupe->second));
                piece = coupe->first;
            }
            if (!piece.empty()) morceaux.push_back(Lit(piece));
            debut = fin + 1;
        }
        return morceaux;
    }

    // A piece made of a 5-character code and a name, in either order: (code, name).
    static std::optional<std::pair<std::string_view, std::string_view>>
    CodeEnTete(std::string_view piece) {
        auto estCode = [](std::string_view t) {
            return t.size() == 5 &&
                   (QueChiffres(t) || ((t.substr(0, 2) == "2A" || t.substr(0, 2) == "2B") &&
                                       QueChiffres(t.substr(2))));
        };
        if (piece.size() > 6 && piece[5] == ' ' && estCode(piece.substr(0, 5))) {
            const auto nom = SansBlancs(piece.substr(6));
            if (!nom.empty() && !QueChiffres(nom)) return std::pair{piece.substr(0, 5), nom};
        }
        if (piece.size() > 6 && piece[piece.size() - 6] == ' ' &&
            estCode(piece.substr(piece.size() - 5))) {
            const auto nom = SansBlancs(piece.substr(0, piece.size() - 6));
            if (!nom.empty() && !QueChiffres(nom))
                return std::pair{piece.substr(piece.size() - 5), nom};
        }
        return std::nullopt;
    }

    Morceau Lit(std::string_view piece) const {
        Morceau m;
        m.texte = std::string(piece);
        const std::string haut = MajusculesAscii(piece);
        const bool corse = haut.size() >= 2 && haut[0] == '2' && (haut[1] == 'A' || haut[1] == 'B');
        if ((haut.size() == 5 && QueChiffres(haut)) ||
            (haut.size() == 5 && corse && QueChiffres(haut.substr(2)))) {
            m.genre = Morceau::Code;
            m.code = haut;
            return m;
        }
        if (haut.size() == 2 && corse) {
            m.genre = Morceau::NumeroDepartement;
            m.code = haut;
            return m;
        }
        if (QueChiffres(haut)) {
            m.genre = Morceau::Neutre;
            if (haut.size() <= 2) {
                m.code = haut.size() == 1 ? "0" + haut : haut;
                // 20: Corsica before 1976, either of its departments today.
                if (departementParCode.count(m.code) || m.code == "20")
                    m.genre = Morceau::NumeroDepartement;
            } else if (haut.size() == 3 && departementParCode.count(haut)) {
                m.code = haut;
                m.genre = Morceau::NumeroDepartement;
            }
            return m;
        }
        m.cle = Cle(piece);
        if (m.cle.empty()) {
            m.genre = Morceau::Neutre;
            return m;
        }
        if (const auto z = zones.find(m.cle); z != zones.end()) m.zones = &z->second;
        return m;
    }

    // The departments a 5-character code may belong to.
    static std::vector<std::string> DepartementsDuCode(const std::string& code) {
        if (code.rfind("97", 0) == 0 || code.rfind("98", 0) == 0) return {code.substr(0, 3)};
        if (code.rfind("20", 0) == 0) return {"2A", "2B"};
        return {code.substr(0, 2)};
    }

    // ---- Agreement of a candidate with a piece ----

    bool CommuneDansZone(std::int32_t commune, const Zone& z) const {
        const std::string& dep = departementCommune[static_cast<std::size_t>(commune)];
        switch (z.genre) {
        case Zone::Pays:
            return z.index == paysFrance;
        case Zone::Province:
            return false;
        case Zone::Departement:
            return monde.Departements[z.index].Code == dep;
        case Zone::Region: {
            const auto& deps = monde.Regions[z.index].Departements;
            return std::find(deps.begin(), deps.end(), dep) != deps.end();
        }
        }
        return false;
    }

    bool DepartementCouvreLieu(const std::string& code, const TLieu& lieu) const {
        const auto d = departementParCode.find(code);
        if (d == departementParCode.end()) return false;
        const std::string& iso = monde.Departements[d->second].Pays;
        return iso != "FR" && monde.Pays[lieu.Pays].Iso == iso;
    }

    bool LieuDansZone(const TLieu& lieu, const Zone& z) const {
        switch (z.genre) {
        case Zone::Pays:
            return lieu.Pays == z.index || (z.index == paysFrance && paysFrancais[lieu.Pays]);
        case Zone::Province:
            return lieu.Province == z.index;
        case Zone::Departement:
            return DepartementCouvreLieu(monde.Departements[z.index].Code, lieu);
        case Zone::Region:
            for (const auto& dep : monde.Regions[z.index].Departements)
                if (DepartementCouvreLieu(dep, lieu)) return true;
            return false;
        }
        return false;
    }

    // Whether a zone lies outside France (a foreign country or province).
    bool ZoneEtrangere(const Zone& z) const {
        if (z.genre == Zone::Pays) return !paysFrancais[z.index];
        if (z.genre == Zone::Province) return !paysFrancais[monde.Provinces[z.index].Pays];
        return false;
    }

    // Score of a commune of the atlas against the pieces after the town; -1 refused.
    int NoteCommune(std::int32_t index, const std::vector<const Morceau*>& indices,
                    bool sansIndice) const {
        const TCommune& c = carte->Communes[static_cast<std::size_t>(index)];
        const std::string& dep = departementCommune[static_cast<std::size_t>(index)];
        int score = ScoreNom + (sansIndice ? ScoreFranceParDefaut : 0);
        for (const Morceau* m : indices) {
            if (m->genre == Morceau::Code) {
                if (MajusculesAscii(c.CodeInsee) == m->code || carte->ACodePostal(index, m->code)) {
                    score += ScoreIndice + ScoreCodeExact;
                } else {
                    const auto deps = DepartementsDuCode(m->code);
                    if (std::find(deps.begin(), deps.end(), dep) == deps.end()) return -1;
                    score += ScoreIndice;
                }
            } else if (m->genre == Morceau::NumeroDepartement) {
                if (m->code != dep && !(m->code == "20" && (dep == "2A" || dep == "2B"))) return -1;
                score += ScoreIndice;
            } else if (m->zones) {
                const bool dedans =
                    std::any_of(m->zones->begin(), m->zones->end(),
                                [&](const Zone& z) { return CommuneDansZone(index, z); });
                if (!dedans) return -1;
                score += ScoreIndice;
            }
        }
        return score;
    }

    // Score of a world place; -1 refused. `francais`: the text speaks of France only.
    int NoteLieu(const TLieu& lieu, bool alternatif, const std::vector<const Morceau*>& indices,
                 bool francais) const {
        int score = alternatif ? ScoreNomAlternatif : ScoreNom;
        const bool lieuFrancais = paysFrancais[lieu.Pays];
        for (const Morceau* m : indices) {
            if (m->genre == Morceau::Code || m->genre == Morceau::NumeroDepartement) {
                if (!lieuFrancais) {
                    if (francais) return -1;
                    continue;
                }
                const auto deps = m->genre == Morceau::Code ? DepartementsDuCode(m->code)
                                                            : std::vector<std::string>{m->code};
                if (!std::any_of(deps.begin(), deps.end(), [&](const std::string& d) {
                        return DepartementCouvreLieu(d, lieu);
                    }))
                    return -1;
                score += ScoreIndice;
            } else if (m->zones) {
                const bool dedans =
                    std::any_of(m->zones->begin(), m->zones->end(),
                                [&](const Zone& z) { return LieuDansZone(lieu, z); });
                if (!dedans) return -1;
                score += ScoreIndice;
            }
        }
        return score;
    }

    // ---- Candidates ----

    TCandidat CandidatCommune(std::int32_t index) const {
        const TCommune& c = carte->Communes[static_cast<std::size_t>(index)];
        TCandidat r;
        r.Latitude = c.Latitude;
        r.Longitude = c.Longitude;
        r.Source = SourceAtlas;
        r.CodePays = "FR";
        r.CodeInsee = c.CodeInsee;
        r.IndexCommune = index;
        r.Libelle = Cp1252VersUtf8(carte->NomOfficiel(index));
        const auto d = departementParCode.find(departementCommune[static_cast<std::size_t>(index)]);
        if (d != departementParCode.end()) r.Libelle += ", " + monde.Departements[d->second].Nom;
        r.Libelle += " (" + c.CodeInsee + "), France";
        return r;
    }

    TCandidat CandidatLieu(std::uint32_t index) const {
        const TLieu& l = monde.Lieux[index];
        TCandidat r;
        r.Latitude = l.Latitude * 1e-5;
        r.Longitude = l.Longitude * 1e-5;
        r.Source = SourceGeoNames;
        r.CodePays = monde.Pays[l.Pays].Iso;
        r.IndexLieu = static_cast<std::int32_t>(index);
        r.Libelle = std::string(monde.NomLieu(index));
        const std::string& pays = monde.Pays[l.Pays].Nom;
        if (l.Province != AucuneProvince) {
            const std::string& province = monde.Provinces[l.Province].Nom;
            if (Cle(province) != Cle(pays) && province != r.Libelle) r.Libelle += ", " + province;
        }
        r.Libelle += ", " + pays;
        return r;
    }

    // The candidates of town piece `t` checked against the pieces after it.
    std::vector<TCandidat> Candidats(const Morceau& ville,
                                     const std::vector<const Morceau*>& indices) const {
        bool sansIndice = true, etranger = false, codeFrancais = false;
        for (const Morceau* m : indices) {
            if (m->genre == Morceau::Code || m->genre == Morceau::NumeroDepartement) {
                codeFrancais = true;
                sansIndice = false;
            }
            if (m->zones) {
                sansIndice = false;
                for (const Zone& z : *m->zones)
                    etranger = etranger || ZoneEtrangere(z);
            }
        }
        const bool francais = codeFrancais && !etranger;

        struct Note {
            TCandidat candidat;
            std::uint32_t poids;
        };
        std::vector<Note> notes;
        if (carte)
            if (const auto c = communes.find(ville.cle); c != communes.end())
                for (std::int32_t index : c->second) {
                    const int score = NoteCommune(index, indices, sansIndice);
                    if (score < 0) continue;
                    Note n{CandidatCommune(index), 0};
                    n.candidat.Score = score;
                    // Rank 9 (Paris) weighs like a capital city.
                    n.poids = 1000000u * carte->Communes[static_cast<std::size_t>(index)].Rang;
                    notes.push_back(std::move(n));
                }
        for (std::uint32_t cible : monde.Cibles(ville.cle)) {
            const std::uint32_t index = cible >> 1;
            const TLieu& lieu = monde.Lieux[index];
            const int score = NoteLieu(lieu, cible & 1, indices, francais);
            if (score < 0) continue;
            // The same place under its name and an alternate name: keep the better.
            auto deja = std::find_if(notes.begin(), notes.end(), [&](const Note& n) {
                return n.candidat.IndexLieu == static_cast<std::int32_t>(index);
            });
            if (deja != notes.end()) {
                deja->candidat.Score = std::max(deja->candidat.Score, score);
                continue;
            }
            Note n{CandidatLieu(index), lieu.Population};
            n.candidat.Score = score;
            notes.push_back(std::move(n));
        }
        std::sort(notes.begin(), notes.end(), [](const Note& a, const Note& b) {
            if (a.candidat.Score != b.candidat.Score) return a.candidat.Score > b.candidat.Score;
            const bool fa = a.candidat.IndexCommune >= 0, fb = b.candidat.IndexCommune >= 0;
            if (fa != fb) return fa;
            if (a.poids != b.poids) return a.poids > b.poids;
            if (a.candidat.Libelle != b.candidat.Libelle)
                return a.candidat.Libelle < b.candidat.Libelle;
            return std::tie(a.candidat.IndexCommune, a.candidat.IndexLieu) <
                   std::tie(b.candidat.IndexCommune, b.candidat.IndexLieu);
        });
        std::vector<TCandidat> resultat;
        for (std::size_t i = 0; i < notes.size() && i < NombreMaxCandidats; ++i)
            resultat.push_back(std::move(notes[i].candidat));
        return resultat;
    }

    bool ConnuCommeNom(const std::string& cle) const {
        return (carte && communes.count(cle)) || !monde.Cibles(cle).empty();
    }

    std::vector<TCandidat> ChercheMorceaux(const std::vector<Morceau>& morceaux) const {
        // The first piece known as a place name is the town, even when it also names a
        // department or a province ("rue de Rivoli, Paris", "Le Bourg ; Genève ; Suisse");
        // once a town was tried, a department, region or country is no longer a town.
        bool villeEssayee = false;
        for (std::size_t t = 0; t < morceaux.size(); ++t) {
            const Morceau& ville = morceaux[t];
            if (ville.genre != Morceau::Nom) continue;
            if (villeEssayee && ville.zones) continue;
            if (!ConnuCommeNom(ville.cle)) continue;
            villeEssayee = true;
            std::vector<const Morceau*> indices;
            for (std::size_t j = t + 1; j < morceaux.size(); ++j)
                if (morceaux[j].genre != Morceau::LieuDit) indices.push_back(&morceaux[j]);
            auto candidats = Candidats(ville, indices);
            if (!candidats.empty()) return candidats;
        }
        return {};
    }

    // A code alone ("76351", "76600"): the communes whose INSEE or postal code it is.
    std::vector<TCandidat> ChercheCode(const std::vector<Morceau>& morceaux) const {
        std::vector<TCandidat> resultat;
        if (!carte) return resultat;
        for (const Morceau& m : morceaux) {
            if (m.genre != Morceau::Code) continue;
            for (std::size_t i = 0;
                 i < carte->Communes.size() && resultat.size() < NombreMaxCandidats; ++i) {
                const TCommune& c = carte->Communes[i];
                if (MajusculesAscii(c.CodeInsee) == m.code ||
                    carte->ACodePostal(static_cast<int>(i), m.code)) {
                    TCandidat candidat = CandidatCommune(static_cast<std::int32_t>(i));
                    candidat.Score = ScoreIndice + ScoreCodeExact;
                    resultat.push_back(std::move(candidat));
                }
            }
            if (!resultat.empty()) break;
        }
        return resultat;
    }

    // A text without separators, "Londres Angleterre": the longest run of first words that
    // names a place, the following words read as codes, departments, regions or countries.
    std::vector<TCandidat> ChercheMots(std::string_view texte) const {
        std::vector<std::string_view> mots;
        for (std::size_t i = 0; i < texte.size();) {
            while (i < texte.size() && texte[i] == ' ')
                ++i;
            const std::size_t debut = i;
            while (i < texte.size() && texte[i] != ' ')
                ++i;
            if (i > debut) mots.push_back(texte.substr(debut, i - debut));
        }
        auto joint = [&](std::size_t a, std::size_t b) {
            return std::string(
                texte.substr(static_cast<std::size_t>(mots[a].data() - texte.data()),
                             static_cast<std::size_t>(mots[b - 1].data() + mots[b - 1].size() -
                                                      mots[a].data())));
        };
        for (std::size_t k = mots.size() - 1; k >= 1 && mots.size() >= 2; --k) {
            std::vector<Morceau> morceaux{Lit(joint(0, k))};
            if (morceaux[0].genre != Morceau::Nom || !ConnuCommeNom(morceaux[0].cle)) continue;
            // The rest, greedily in the longest known runs.
            bool toutLu = true;
            for (std::size_t a = k; a < mots.size();) {
                std::size_t b = mots.size();
                for (; b > a; --b) {
                    Morceau m = Lit(joint(a, b));
                    if (m.genre == Morceau::Code || m.genre == Morceau::NumeroDepartement ||
                        m.zones) {
                        morceaux.push_back(std::move(m));
                        break;
                    }
                }
                if (b == a) {
                    toutLu = false;
                    break;
                }
                a = b;
            }
            if (!toutLu) continue;
            auto candidats = ChercheMorceaux(morceaux);
            if (!candidats.empty()) return candidats;
            return {}; // the words named a place and bound it: nothing found is the answer
        }
        return {};
    }

    std::vector<TCandidat> Recherche(std::string_view texte) const {
        // A place text is short: what lies beyond these bounds is not read, so that a pasted
        // page costs no more than a long address.
        if (texte.size() > LongueurMaxTexte) {
            std::size_t n = LongueurMaxTexte;
            while (n > 0 && (static_cast<unsigned char>(texte[n]) & 0xC0) == 0x80)
                --n;
            texte = texte.substr(0, n);
        }
        std::vector<Morceau> morceaux = Decoupe(texte);
        if (morceaux.size() > NombreMaxMorceaux) morceaux.resize(NombreMaxMorceaux);
        auto candidats = ChercheMorceaux(morceaux);
        if (!candidats.empty()) return candidats;
        const bool unSeulNom = morceaux.size() == 1 && morceaux[0].genre == Morceau::Nom;
        if (unSeulNom && !ConnuCommeNom(morceaux[0].cle) &&
            std::count(morceaux[0].texte.begin(), morceaux[0].texte.end(), ' ') <
                static_cast<std::ptrdiff_t>(NombreMaxMots))
            return ChercheMots(morceaux[0].texte);
        // A code answers alone only when the text names no town: a town that is not found
        // is not replaced by its neighbours of the same postal code.
        for (const Morceau& m : morceaux)
            if (m.genre == Morceau::Nom && !m.zones) return {};
        return ChercheCode(morceaux);
    }

    // ---- Reverse search ----

    std::optional<TCandidat> Inverse(double latitude, double longitude) const {
        if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::fabs(latitude) > 90 ||
            std::fabs(longitude) > 180)
            return std::nullopt;
        const double rayon = std::max(DistanceMaxAtlasKm, DistanceMaxMondeKm);
        const int lignes = static_cast<int>(std::ceil(rayon / (KmParDegre * PasGrille))) + 1;
        const auto [l0, c0] = Cellule(latitude, longitude);
        const double cosLat = std::cos(Radians(latitude));
        double meilleur = 1e300, kmTrouve = 0;
        const PointGrille* trouve = nullptr;
        for (int l = std::max(0, l0 - lignes); l <= std::min(LignesGrille - 1, l0 + lignes); ++l) {
            // Columns to look at: wide enough at the latitude of the band nearest a pole.
            const double latBord =
                std::max(std::fabs(-90.0 + l * PasGrille), std::fabs(-90.0 + (l + 1) * PasGrille));
            const double cosBord = std::cos(Radians(std::min(latBord, 89.9)));
            int colonnes =
                static_cast<int>(std::ceil(rayon / (KmParDegre * PasGrille * cosBord))) + 1;
            colonnes = std::min(colonnes, ColonnesGrille / 2);
            for (int dc = -colonnes; dc <= colonnes; ++dc) {
                const int c = ((c0 + dc) % ColonnesGrille + ColonnesGrille) % ColonnesGrille;
                const std::size_t cellule = static_cast<std::size_t>(l) * ColonnesGrille + c;
                for (std::uint32_t k = debutCellules[cellule]; k < debutCellules[cellule + 1];
                     ++k) {
                    const PointGrille& p = points[k];
                    double dLon = std::fabs(p.longitude - longitude);
                    if (dLon > 180) dLon = 360 - dLon;
                    const double dx = dLon * cosLat, dy = p.latitude - latitude;
                    const double d2 = dx * dx + dy * dy;
                    if (d2 >= meilleur) continue;
                    // Nearer than the best so far: is it within its own limit? The flat
                    // estimate rules out the far ones before the exact distance.
                    const double limiteKm = p.ref >= 0 ? DistanceMaxAtlasKm : DistanceMaxMondeKm;
                    const double limiteDeg = limiteKm / KmParDegre;
                    if (d2 > limiteDeg * limiteDeg * 1.5) continue;
                    const double km = DistanceKm(latitude, longitude, p.latitude, p.longitude);
                    if (km > limiteKm) continue;
                    meilleur = d2;
                    trouve = &p;
                    kmTrouve = km;
                }
            }
        }
        if (!trouve) return std::nullopt;
        TCandidat r = trouve->ref >= 0 ? CandidatCommune(trouve->ref)
                                       : CandidatLieu(static_cast<std::uint32_t>(-1 - trouve->ref));
        r.DistanceKm = kmTrouve;
        r.Score = ScoreNom;
        return r;
    }
};

TGeocodeur::TGeocodeur(const TCarteFrance* carte, const std::filesystem::path& fichierMonde)
    : TGeocodeur(carte, TMonde::Charge(fichierMonde)) {}

TGeocodeur::TGeocodeur(const TCarteFrance* carte, TMonde monde)
    : d_(std::make_unique<Interne>(carte, std::move(monde))) {}

TGeocodeur::~TGeocodeur() = default;

std::vector<TCandidat> TGeocodeur::Recherche(std::string_view texte) const {
    return d_->Recherche(texte);
}

std::optional<TCandidat> TGeocodeur::RechercheInverse(double latitude, double longitude) const {
    return d_->Inverse(latitude, longitude);
}

const TMonde& TGeocodeur::Monde() const {
    return d_->monde;
}

const TCarteFrance* TGeocodeur::Carte() const {
    return d_->carte;
}

} // namespace orlavine::geocodeur
