#include "tools/atlas-build/positions.h"

#include "host/chaines.h"
#include "tools/atlas-build/code_officiel.h"
#include "tools/atlas-build/erreur_source.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <tuple>

namespace orlavine::atlasbuild {

namespace {

// Splits a line at `separateur` into at most `maximum` fields (the last one keeps the rest).
std::vector<std::string_view> Champs(std::string_view ligne, char separateur, std::size_t maximum) {
    std::vector<std::string_view> champs;
    while (champs.size() + 1 < maximum) {
        const auto p = ligne.find(separateur);
        if (p == std::string_view::npos) break;
        champs.push_back(ligne.substr(0, p));
        ligne.remove_prefix(p + 1);
    }
    champs.push_back(ligne);
    return champs;
}

bool LitEntierLong(std::string_view champ, long& valeur) {
    const auto [p, ec] = std::from_chars(champ.data(), champ.data() + champ.size(), valeur);
    return !champ.empty() && ec == std::errc() && p == champ.data() + champ.size();
}

bool PositionValide(const PointGeo& p) {
    return p.Latitude >= -90.0 && p.Latitude <= 90.0 && p.Longitude >= -180.0 &&
           p.Longitude <= 180.0;
}

// Rank of an administrative seat: the national capital first, plain places last.
int RangEntite(const std::string& code) {
    static const char* const ordre[] = {"PPLC", "PPLA", "PPLA2", "PPLA3", "PPLA4", "PPLA5", "PPL"};
    for (int i = 0; i < 7; ++i)
        if (code == ordre[i]) return i;
    return 7;
}

// Calls `traite(numero, ligne)` for each line of a text (without its line feed).
template <typename F>
void ParLigne(std::string_view texte, F&& traite) {
    long numero = 0;
    while (!texte.empty()) {
        ++numero;
        const auto p = texte.find('\n');
        const std::string_view ligne = texte.substr(0, p);
        texte.remove_prefix(p == std::string_view::npos ? texte.size() : p + 1);
        traite(numero, ligne);
    }
}

} // namespace

std::map<std::string, std::vector<LieuGeoNames>> LitGeoNames(const std::filesystem::path& chemin) {
    const std::string texte = LitTexte(chemin);
    std::map<std::string, std::vector<LieuGeoNames>> lieux;
    ParLigne(texte, [&](long numero, std::string_view ligne) {
        if (ligne.empty() || ligne == "\r") return;
        const auto c = Champs(ligne, '\t', 16);
        if (c.size() < 15)
            throw ErreurSource(chemin, numero,
                               "ligne de " + std::to_string(c.size()) +
                                   " colonnes, 15 au moins sont attendues");
        if (c[8] != "FR" || c[13].empty()) return;
        LieuGeoNames l;
        if (!LitEntierLong(c[0], l.Identifiant))
            throw ErreurSource(chemin, numero, "identifiant GeoNames invalide");
        if (!LitReel(c[4], l.Position.Latitude) || !LitReel(c[5], l.Position.Longitude) ||
            !PositionValide(l.Position))
            throw ErreurSource(chemin, numero, "latitude ou longitude invalide");
        if (!c[14].empty() && !LitEntierLong(c[14], l.Population))
            throw ErreurSource(chemin, numero, "population invalide");
        l.Nom = std::string(c[1]);
        l.CodeEntite = std::string(c[7]);
        lieux[std::string(c[13])].push_back(std::move(l));
    });
    return lieux;
}

const LieuGeoNames& ChoisitLieu(const std::vector<LieuGeoNames>& lieux,
                                const AnsiString& nomAtlas) {
    auto cle = [&](const LieuGeoNames& l) {
        return std::make_tuple(NomAtlas(l.Nom) == nomAtlas ? 0 : 1, RangEntite(l.CodeEntite),
                               -l.Population, l.Identifiant);
    };
    return *std::min_element(lieux.begin(), lieux.end(),
                             [&](const auto& a, const auto& b) { return cle(a) < cle(b); });
}

std::map<std::string, Centroide> LitCentroides(const std::filesystem::path& chemin) {
    const std::string texte = LitTexte(chemin);
    std::map<std::string, Centroide> centroides;
    enum { Version, Entete, Lignes } etape = Version;
    ParLigne(texte, [&](long numero, std::string_view ligne) {
        if (!ligne.empty() && ligne.back() == '\r') ligne.remove_suffix(1);
        if (etape == Version) {
            const std::string_view attendu = EnteteCentroides;
            if (!ligne.starts_with(attendu))
                throw ErreurSource(chemin, numero,
                                   "première ligne « " + std::string(attendu) +
                                       std::to_string(FormatCentroides) +
                                       " » attendue : ce n'est pas un fichier de centroïdes "
                                       "(scripts/compact-centroids.sh le fabrique)");
            long format = 0;
            if (!LitEntierLong(ligne.substr(attendu.size()), format) || format != FormatCentroides)
                throw ErreurSource(chemin, numero,
                                   "format « " + std::string(ligne.substr(attendu.size())) +
                                       " » inconnu, " + std::to_string(FormatCentroides) +
                                       " attendu");
            etape = Entete;
            return;
        }
        if (ligne.starts_with("#")) {
            if (etape == Entete) return;
            throw ErreurSource(chemin, numero, "commentaire après l'en-tête");
        }
        if (etape == Entete) {
            if (ligne != "code_insee;nom;latitude;longitude")
                throw ErreurSource(chemin, numero,
                                   "en-tête « code_insee;nom;latitude;longitude » attendu");
            etape = Lignes;
            return;
        }
        const auto c = Champs(ligne, ';', 5);
        if (c.size() != 4)
            throw ErreurSource(chemin, numero,
                               "4 colonnes attendues : code_insee;nom;latitude;longitude");
        const std::string code(c[0]);
        if (code.size() != 5 || !EstDepartementMetropolitain(code.substr(0, 2)) ||
            !std::all_of(code.begin() + 2, code.end(), [](char x) { return x >= '0' && x <= '9'; }))
            throw ErreurSource(chemin, numero, "code INSEE « " + code + " » invalide");
        Centroide centroide;
        centroide.Nom = std::string(c[1]);
        if (centroide.Nom.empty()) throw ErreurSource(chemin, numero, "nom vide");
        PointGeo& p = centroide.Position;
        if (!LitReel(c[2], p.Latitude))
            throw ErreurSource(chemin, numero, "latitude invalide « " + std::string(c[2]) + " »");
        if (!LitReel(c[3], p.Longitude))
            throw ErreurSource(chemin, numero, "longitude invalide « " + std::string(c[3]) + " »");
        // Metropolitan France and Corsica, with a margin.
        if (p.Latitude < 41.0 || p.Latitude > 51.5 || p.Longitude < -5.5 || p.Longitude > 10.0)
            throw ErreurSource(chemin, numero, "position hors de la France métropolitaine");
        if (!centroides.emplace(code, std::move(centroide)).second)
            throw ErreurSource(chemin, numero, "code « " + code + " » en double");
    });
    if (etape != Lignes)
        throw ErreurSource(chemin, 0, etape == Version ? "fichier vide" : "en-tête absent");
    return centroides;
}

} // namespace orlavine::atlasbuild
