#include "monde/donnees.h"

#include "host/octets.h"
#include "monde/projection.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

namespace orlavine::monde {

namespace {

constexpr char Signature[8] = {'O', 'R', 'L', 'M', 'O', 'N', 'D', 'E'};
constexpr std::uint32_t NombreMaxCouches = 64;
// Grid values stay well inside 32 bits so that deltas and sums never overflow.
constexpr std::int64_t GrilleMax = std::int64_t{1} << 30;
// Shapes that cross the 180th meridian run on past it, by less than one and a half turns.
constexpr double LongitudeMax = 540.0;

std::array<std::uint32_t, 256> TableCrc() {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[i] = c;
    }
    return t;
}

// ---- Reading ----

// Reads "monde.bin", naming the layer and the part at fault in its messages.
class Lecteur : public LecteurOctets {
public:
    using LecteurOctets::LecteurOctets;

    // Where the reader is, for the messages: a layer and a part in it (0: none).
    void Lieu(std::string lieu) {
        lieu_ = std::move(lieu);
        partie_ = 0;
    }
    void Partie(long partie) { partie_ = partie; }

protected:
    void Leve(const std::string& detail) const override {
        std::string m = "Fichier \"" + Fichier() + "\" endommag\xC3\xA9";
        if (!lieu_.empty()) m += ", " + lieu_;
        if (partie_ > 0) m += ", trac\xC3\xA9 " + std::to_string(partie_);
        throw ErreurMonde(m + " : " + detail + ".");
    }

private:
    std::string lieu_;
    long partie_ = 0;
};

// Unsigned LEB128 of at most 32 bits, read from a payload.
std::uint32_t Varint(std::span<const std::uint8_t> b, std::size_t& i, const Lecteur& l) {
    std::uint64_t v = 0;
    for (int decalage = 0; decalage < 35; decalage += 7) {
        if (i >= b.size())
            l.Endommage("donn\xC3\xA9"
                        "es de trac\xC3\xA9 tronqu\xC3\xA9"
                        "es");
        const std::uint8_t o = b[i++];
        v |= static_cast<std::uint64_t>(o & 0x7Fu) << decalage;
        if ((o & 0x80u) == 0) {
            // One way only to write a number: no trailing zero group.
            if (o == 0 && decalage > 0) l.Endommage("entier mal cod\xC3\xA9");
            if (v > std::numeric_limits<std::uint32_t>::max()) l.Endommage("entier hors limites");
            return static_cast<std::uint32_t>(v);
        }
    }
    l.Endommage("entier trop long");
}

std::int64_t Zigzag(std::uint32_t v) {
    return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1u);
}

const char* NomGenre(GenreCouche g) {
    switch (g) {
    case GenreCouche::Terres:
        return "terres";
    case GenreCouche::Frontieres:
        return "fronti\xC3\xA8res";
    case GenreCouche::Lacs:
        return "lacs";
    case GenreCouche::Fleuves:
        return "fleuves";
    }
    return "?";
}

void LitCouche(Lecteur& l, TCoucheMonde& c) {
    const std::uint8_t genre = l.Octet();
    if (genre < 1 || genre > 4)
        l.Endommage("genre de couche inconnu (" + std::to_string(genre) + ")");
    const std::uint8_t niveau = l.Octet();
    if (niveau >= NombreNiveaux)
        l.Endommage("niveau de d\xC3\xA9tail inconnu (" + std::to_string(niveau) + ")");
    if (l.Mot16() != 0) l.Endommage("champ r\xC3\xA9serv\xC3\xA9 non nul");
    c.Genre = static_cast<GenreCouche>(genre);
    c.Detail = static_cast<Niveau>(niveau);
    c.Grille.PasX = l.Reel64();
    c.Grille.PasY = l.Reel64();
    c.Grille.OrigineX = l.Reel64();
    c.Grille.OrigineY = l.Reel64();
    const TGrille& g = c.Grille;
    const auto pasValide = [](double p) { return std::isfinite(p) && p > 1e-9 && p <= 1.0; };
    const auto origineValide = [](double o) { return std::isfinite(o) && std::abs(o) <= 360.0; };
    if (!pasValide(g.PasX) || !pasValide(g.PasY) || !origineValide(g.OrigineX) ||
        !origineValide(g.OrigineY))
        l.Endommage("grille de coordonn\xC3\xA9"
                    "es invalide");

    const std::uint32_t parties = l.Mot32();
    const std::uint32_t points = l.Mot32();
    const std::uint32_t taille = l.Mot32();
    if (taille > l.Restant()) l.Endommage("longueur de couche au-del\xC3\xA0 de la fin du fichier");
    // Each part takes at least one byte and each point two: counts beyond that are lies.
    if (parties > taille || points > taille / 2)
        l.Endommage("nombre de trac\xC3\xA9s ou de points incoh\xC3\xA9rent");
    const std::span<const std::uint8_t> b = l.Bloc(taille);

    const bool surface = EstSurfacique(c.Genre);
    const std::size_t minimum = surface ? 3 : 2;
    c.X.clear();
    c.Y.clear();
    c.X.reserve(points);
    c.Y.reserve(points);
    c.Debuts.assign(1, 0);
    c.Debuts.reserve(std::size_t{parties} + 1);
    std::size_t i = 0;
    l.Lieu(std::string("couche ") + NomGenre(c.Genre));
    for (std::uint32_t p = 0; p < parties; ++p) {
        l.Partie(static_cast<long>(p) + 1);
        const std::uint32_t n = Varint(b, i, l);
        if (n < minimum)
            l.Endommage("trac\xC3\xA9 de moins de " + std::to_string(minimum) + " points");
        if (n > points - c.X.size()) l.Endommage("plus de points que la couche n'en annonce");
        std::int64_t x = 0, y = 0;
        for (std::uint32_t k = 0; k < n; ++k) {
            x += Zigzag(Varint(b, i, l));
            y += Zigzag(Varint(b, i, l));
            if (x < -GrilleMax || x > GrilleMax || y < -GrilleMax || y > GrilleMax)
                l.Endommage("coordonn\xC3\xA9"
                            "e hors de la grille");
            const double lon = g.OrigineX + static_cast<double>(x) * g.PasX;
            const double lat = g.OrigineY + static_cast<double>(y) * g.PasY;
            if (lon < -LongitudeMax || lon > LongitudeMax || lat < -90.001 || lat > 90.001)
                l.Endommage("point hors du globe (" + std::to_string(lat) + ", " +
                            std::to_string(lon) + ")");
            c.X.push_back(static_cast<std::int32_t>(x));
            c.Y.push_back(static_cast<std::int32_t>(y));
        }
        c.Debuts.push_back(static_cast<std::uint32_t>(c.X.size()));
    }
    l.Partie(0);
    if (c.X.size() != points)
        l.Endommage("nombre de points diff\xC3\xA9rent de celui annonc\xC3\xA9");
    if (i != b.size()) l.Endommage("octets en trop apr\xC3\xA8s le dernier trac\xC3\xA9");
    l.Lieu("");
}

// ---- Writing ----

std::uint32_t VersZigzag(std::int64_t v) {
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(v) << 1) ^
                                      static_cast<std::uint64_t>(v >> 63));
}

} // namespace

bool EstSurfacique(GenreCouche genre) {
    return genre == GenreCouche::Terres || genre == GenreCouche::Lacs;
}

void TCoucheMonde::AjoutePartie(std::span<const std::int32_t> x, std::span<const std::int32_t> y) {
    const std::size_t n = std::min(x.size(), y.size());
    X.insert(X.end(), x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n));
    Y.insert(Y.end(), y.begin(), y.begin() + static_cast<std::ptrdiff_t>(n));
    Debuts.push_back(static_cast<std::uint32_t>(X.size()));
}

void TCoucheMonde::Prepare() {
    MercX.resize(X.size());
    MercY.resize(Y.size());
    for (std::size_t i = 0; i < X.size(); ++i) {
        MercX[i] = static_cast<float>(Grille.OrigineX + X[i] * Grille.PasX);
        MercY[i] = static_cast<float>(MercatorY(Grille.OrigineY + Y[i] * Grille.PasY));
    }
    Boites.resize(NombreParties());
    for (std::size_t p = 0; p < NombreParties(); ++p) {
        TBoite b{std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                 std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest()};
        for (std::uint32_t i = Debuts[p]; i < Debuts[p + 1]; ++i) {
            b.XMin = std::min(b.XMin, MercX[i]);
            b.XMax = std::max(b.XMax, MercX[i]);
            b.YMin = std::min(b.YMin, MercY[i]);
            b.YMax = std::max(b.YMax, MercY[i]);
        }
        Boites[p] = b;
    }
}

const TCoucheMonde* TDonneesMonde::Couche(GenreCouche genre, Niveau niveau) const {
    for (const TCoucheMonde& c : Couches)
        if (c.Genre == genre && c.Detail == niveau) return &c;
    return nullptr;
}

const TCoucheMonde* TDonneesMonde::CoucheAuPlusPres(GenreCouche genre, Niveau niveau) const {
    for (int n = static_cast<int>(niveau); n >= 0; --n)
        if (const TCoucheMonde* c = Couche(genre, static_cast<Niveau>(n))) return c;
    return nullptr;
}

std::size_t TDonneesMonde::NombrePoints() const {
    std::size_t n = 0;
    for (const TCoucheMonde& c : Couches)
        n += c.X.size();
    return n;
}

std::uint32_t Crc32(std::span<const std::uint8_t> octets) {
    static const std::array<std::uint32_t, 256> table = TableCrc();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::uint8_t o : octets)
        c = table[(c ^ o) & 0xFFu] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

TDonneesMonde LitDonneesMonde(std::span<const std::uint8_t> octets, const std::string& fichier) {
    Lecteur entete(octets, fichier);
    if (octets.size() < sizeof(Signature) + 12 ||
        std::memcmp(octets.data(), Signature, sizeof(Signature)) != 0)
        entete.Endommage("ce n'est pas un fichier de carte du monde");
    const std::size_t corps = octets.size() - 4;
    const std::uint32_t attendu = LecteurOctets(octets.subspan(corps), fichier).Mot32();
    if (Crc32(octets.first(corps)) != attendu) entete.Endommage("somme de contr\xC3\xB4le fausse");

    Lecteur l(octets.first(corps), fichier);
    l.Bloc(sizeof(Signature));
    const std::uint32_t version = l.Mot32();
    if (version != VersionFichierMonde)
        l.Endommage("version " + std::to_string(version) + " inconnue");
    const std::uint32_t nombre = l.Mot32();
    if (nombre > NombreMaxCouches) l.Endommage("trop de couches (" + std::to_string(nombre) + ")");

    TDonneesMonde d;
    d.Couches.resize(nombre);
    for (std::uint32_t k = 0; k < nombre; ++k) {
        l.Lieu("couche " + std::to_string(k + 1));
        LitCouche(l, d.Couches[k]);
        for (std::uint32_t j = 0; j < k; ++j)
            if (d.Couches[j].Genre == d.Couches[k].Genre &&
                d.Couches[j].Detail == d.Couches[k].Detail)
                l.Endommage("couche en double");
    }
    if (l.Restant() != 0) l.Endommage("octets en trop apr\xC3\xA8s la derni\xC3\xA8re couche");
    for (TCoucheMonde& c : d.Couches)
        c.Prepare();
    return d;
}

TDonneesMonde ChargeDonneesMonde(const std::filesystem::path& chemin) {
    const std::string nom = chemin.filename().string();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(chemin, ec))
        throw ErreurMonde("Fichier \"" + nom + "\" non existant ou d\xC3\xA9plac\xC3\xA9!");
    std::ifstream f(chemin, std::ios::binary);
    const auto taille = std::filesystem::file_size(chemin, ec);
    if (!f || ec) throw ErreurMonde("Impossible d'ouvrir le fichier \"" + nom + "\".");
    std::vector<std::uint8_t> octets(static_cast<std::size_t>(taille));
    if (!f.read(reinterpret_cast<char*>(octets.data()),
                static_cast<std::streamsize>(octets.size())))
        throw ErreurMonde("Erreur de lecture du fichier \"" + nom + "\".");
    return LitDonneesMonde(octets, nom);
}

std::vector<std::uint8_t> EcritDonneesMonde(const TDonneesMonde& d) {
    std::vector<std::uint8_t> o(std::begin(Signature), std::end(Signature));
    AjouteMot32(o, VersionFichierMonde);
    AjouteMot32(o, static_cast<std::uint32_t>(d.Couches.size()));
    for (const TCoucheMonde& c : d.Couches) {
        o.push_back(static_cast<std::uint8_t>(c.Genre));
        o.push_back(static_cast<std::uint8_t>(c.Detail));
        o.push_back(0);
        o.push_back(0);
        AjouteReel64(o, c.Grille.PasX);
        AjouteReel64(o, c.Grille.PasY);
        AjouteReel64(o, c.Grille.OrigineX);
        AjouteReel64(o, c.Grille.OrigineY);
        std::vector<std::uint8_t> charge;
        for (std::size_t p = 0; p < c.NombreParties(); ++p) {
            AjouteVarint(charge, c.Debuts[p + 1] - c.Debuts[p]);
            std::int64_t px = 0, py = 0;
            for (std::uint32_t i = c.Debuts[p]; i < c.Debuts[p + 1]; ++i) {
                AjouteVarint(charge, VersZigzag(c.X[i] - px));
                AjouteVarint(charge, VersZigzag(c.Y[i] - py));
                px = c.X[i];
                py = c.Y[i];
            }
        }
        AjouteMot32(o, static_cast<std::uint32_t>(c.NombreParties()));
        AjouteMot32(o, static_cast<std::uint32_t>(c.X.size()));
        AjouteMot32(o, static_cast<std::uint32_t>(charge.size()));
        o.insert(o.end(), charge.begin(), charge.end());
    }
    AjouteMot32(o, Crc32(o));
    return o;
}

} // namespace orlavine::monde
