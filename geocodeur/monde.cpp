#include "geocodeur/monde.h"

#include "host/octets.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace orlavine::geocodeur {

namespace fs = std::filesystem;

namespace {

constexpr char Signature[8] = {'O', 'R', 'L', 'G', 'E', 'O', '0', '1'};
constexpr std::size_t TailleEntete = 8 + 4 + 4 + 8 + 8;
constexpr std::uint32_t NombreMaxPays = 0xFFFF;
constexpr std::uint32_t NombreMaxProvinces = 0xFFFE;
constexpr std::uint32_t NombreMaxLieux = 0x7FFFFFFF;

std::uint64_t Fnv1a(std::span<const std::uint8_t> octets) {
    std::uint64_t h = 14695981039346656037ull;
    for (std::uint8_t o : octets) {
        h ^= o;
        h *= 1099511628211ull;
    }
    return h;
}

void AjouteTexte(std::vector<std::uint8_t>& s, std::string_view t) {
    if (t.size() > 0xFFFF) throw ErreurGeocodeur("Texte trop long pour \"monde.dat\".");
    AjouteMot16(s, static_cast<std::uint16_t>(t.size()));
    s.insert(s.end(), t.begin(), t.end());
}
void AjouteTextes(std::vector<std::uint8_t>& s, const std::vector<std::string>& textes) {
    if (textes.size() > 0xFFFF) throw ErreurGeocodeur("Trop de clés pour \"monde.dat\".");
    AjouteMot16(s, static_cast<std::uint16_t>(textes.size()));
    for (const auto& t : textes)
        AjouteTexte(s, t);
}

// Reads "monde.dat", naming the section and the record at fault in its messages.
class Lecteur : public LecteurOctets {
public:
    using LecteurOctets::LecteurOctets;

    void Section(const char* section, long enregistrement = 0) {
        section_ = section;
        enregistrement_ = enregistrement;
    }
    void Enregistrement(long n) { enregistrement_ = n; }

    std::vector<std::string> Textes() {
        const std::uint16_t n = Mot16();
        std::vector<std::string> t;
        t.reserve(std::min<std::size_t>(n, Restant() / 2));
        for (std::uint16_t k = 0; k < n; ++k)
            t.push_back(Texte16());
        return t;
    }
    // A count of records of at least `tailleMin` bytes each that the rest can hold.
    std::uint32_t Nombre(std::size_t tailleMin, std::uint32_t maximum) {
        const std::uint32_t n = Mot32();
        if (n > maximum || static_cast<std::uint64_t>(n) * tailleMin > Restant())
            Endommage("nombre d'enregistrements invalide (" + std::to_string(n) + ")");
        return n;
    }

protected:
    void Leve(const std::string& detail) const override {
        std::string m = "fichier endommagé";
        if (section_) {
            m += ", ";
            m += section_;
            if (enregistrement_ > 0) m += " n\xC2\xB0 " + std::to_string(enregistrement_);
        }
        throw ErreurGeocodeur(Erreur::Compose(Fichier(), 0, m + " : " + detail + "."));
    }

private:
    const char* section_ = nullptr;
    long enregistrement_ = 0;
};

// The key at `position` of the index, given the key before it; moves `position` past the
// key's targets, which go to `cibles` when not null.
struct LecteurIndex {
    std::span<const std::uint8_t> index;
    std::size_t nombreLieux;

    bool Suivante(std::size_t& position, std::string& cle, std::vector<std::uint32_t>* cibles,
                  std::string* erreur) const {
        auto lit = [&](std::uint8_t& o) {
            if (position >= index.size()) return false;
            o = index[position++];
            return true;
        };
        std::uint8_t commun = 0, reste = 0;
        if (!lit(commun) || !lit(reste)) return Faux(erreur, "clé tronquée");
        if (commun > cle.size()) return Faux(erreur, "préfixe commun plus long que la clé");
        if (reste > index.size() - position) return Faux(erreur, "clé tronquée");
        if (static_cast<std::size_t>(commun) + reste == 0) return Faux(erreur, "clé vide");
        if (static_cast<std::size_t>(commun) + reste > LongueurMaxCle)
            return Faux(erreur, "clé trop longue");
        cle.resize(commun);
        cle.append(reinterpret_cast<const char*>(index.data() + position), reste);
        position += reste;
        std::uint32_t n = 0;
        if (!Varint(position, n)) return Faux(erreur, "nombre de lieux tronqué");
        if (n == 0 || n > index.size() - position) return Faux(erreur, "nombre de lieux invalide");
        for (std::uint32_t k = 0; k < n; ++k) {
            std::uint32_t c = 0;
            if (!Varint(position, c)) return Faux(erreur, "lieu tronqué");
            if ((c >> 1) >= nombreLieux) return Faux(erreur, "numéro de lieu hors limites");
            if (cibles) cibles->push_back(c);
        }
        return true;
    }

    bool Varint(std::size_t& position, std::uint32_t& v) const {
        v = 0;
        for (int decalage = 0; decalage < 35; decalage += 7) {
            if (position >= index.size()) return false;
            const std::uint8_t o = index[position++];
            if (decalage == 28 && (o & 0xF0)) return false;
            v |= static_cast<std::uint32_t>(o & 0x7F) << decalage;
            if (!(o & 0x80)) return true;
        }
        return false;
    }

    static bool Faux(std::string* erreur, const char* texte) {
        if (erreur) *erreur = texte;
        return false;
    }
};

} // namespace

std::uint32_t AjouteNom(std::vector<std::uint8_t>& noms, std::string_view nom) {
    if (nom.size() > 255) {
        std::size_t n = 255;
        while (n > 0 && (static_cast<std::uint8_t>(nom[n]) & 0xC0) == 0x80)
            --n;
        nom = nom.substr(0, n);
    }
    const auto position = static_cast<std::uint32_t>(noms.size());
    noms.push_back(static_cast<std::uint8_t>(nom.size()));
    noms.insert(noms.end(), nom.begin(), nom.end());
    return position;
}

std::vector<std::uint8_t> EcritMonde(const DonneesMonde& d) {
    if (d.Pays.size() > NombreMaxPays || d.Provinces.size() > NombreMaxProvinces ||
        d.Lieux.size() > NombreMaxLieux)
        throw ErreurGeocodeur("Trop d'enregistrements pour \"monde.dat\".");
    std::vector<std::uint8_t> corps;
    corps.reserve(d.Lieux.size() * 40 + d.Noms.size());

    AjouteMot32(corps, static_cast<std::uint32_t>(d.Pays.size()));
    for (const TPays& p : d.Pays) {
        AjouteTexte(corps, p.Iso);
        AjouteTexte(corps, p.Nom);
        AjouteTextes(corps, p.Cles);
    }
    AjouteMot32(corps, static_cast<std::uint32_t>(d.Provinces.size()));
    for (const TProvince& p : d.Provinces) {
        AjouteMot16(corps, p.Pays);
        AjouteTexte(corps, p.Code);
        AjouteTexte(corps, p.Nom);
        AjouteTextes(corps, p.Cles);
    }
    AjouteMot32(corps, static_cast<std::uint32_t>(d.Departements.size()));
    for (const TDepartementFr& dep : d.Departements) {
        AjouteTexte(corps, dep.Code);
        AjouteTexte(corps, dep.Nom);
        AjouteTexte(corps, dep.Pays);
        AjouteTextes(corps, dep.Cles);
    }
    AjouteMot32(corps, static_cast<std::uint32_t>(d.Regions.size()));
    for (const TRegionFr& r : d.Regions) {
        AjouteTexte(corps, r.Nom);
        AjouteTextes(corps, r.Departements);
        AjouteTextes(corps, r.Cles);
    }
    AjouteMot32(corps, static_cast<std::uint32_t>(d.Lieux.size()));
    for (const TLieu& l : d.Lieux) {
        AjouteMot32(corps, static_cast<std::uint32_t>(l.Latitude));
        AjouteMot32(corps, static_cast<std::uint32_t>(l.Longitude));
        AjouteMot32(corps, l.Nom);
        AjouteMot16(corps, l.Pays);
        AjouteMot16(corps, l.Province);
        AjouteMot32(corps, l.Population);
        corps.push_back(l.Genre);
    }
    AjouteMot32(corps, static_cast<std::uint32_t>(d.Noms.size()));
    corps.insert(corps.end(), d.Noms.begin(), d.Noms.end());

    // The key index, in blocks.
    std::vector<std::uint8_t> index;
    std::vector<std::uint32_t> blocs;
    const std::string* precedente = nullptr;
    for (std::size_t i = 0; i < d.Cles.size(); ++i) {
        const TCleLieux& c = d.Cles[i];
        if (c.Cle.empty() || c.Cle.size() > LongueurMaxCle || c.Cibles.empty() ||
            (precedente && !(*precedente < c.Cle)))
            throw ErreurGeocodeur("Clés de \"monde.dat\" vides, trop longues ou mal triées (" +
                                  c.Cle + ").");
        std::size_t commun = 0;
        if (i % ClesParBloc == 0) {
            blocs.push_back(static_cast<std::uint32_t>(index.size()));
        } else {
            while (commun < precedente->size() && commun < c.Cle.size() &&
                   (*precedente)[commun] == c.Cle[commun])
                ++commun;
        }
        index.push_back(static_cast<std::uint8_t>(commun));
        index.push_back(static_cast<std::uint8_t>(c.Cle.size() - commun));
        index.insert(index.end(), c.Cle.begin() + static_cast<std::ptrdiff_t>(commun), c.Cle.end());
        AjouteVarint(index, static_cast<std::uint32_t>(c.Cibles.size()));
        for (std::uint32_t cible : c.Cibles) {
            if ((cible >> 1) >= d.Lieux.size())
                throw ErreurGeocodeur("Clé de \"monde.dat\" vers un lieu absent (" + c.Cle + ").");
            AjouteVarint(index, cible);
        }
        precedente = &c.Cle;
    }
    AjouteMot32(corps, static_cast<std::uint32_t>(d.Cles.size()));
    AjouteMot32(corps, static_cast<std::uint32_t>(blocs.size()));
    for (std::uint32_t b : blocs)
        AjouteMot32(corps, b);
    AjouteMot32(corps, static_cast<std::uint32_t>(index.size()));
    corps.insert(corps.end(), index.begin(), index.end());

    std::vector<std::uint8_t> sortie(Signature, Signature + 8);
    AjouteMot32(sortie, VersionFormat);
    AjouteMot32(sortie, 0);
    AjouteMot64(sortie, corps.size());
    AjouteMot64(sortie, Fnv1a(corps));
    sortie.insert(sortie.end(), corps.begin(), corps.end());
    return sortie;
}

TMonde::TMonde(std::vector<std::uint8_t> octets, std::string fichier)
    : octets_(std::move(octets)), fichier_(std::move(fichier)) {
    const std::span<const std::uint8_t> tout(octets_);
    Lecteur entete(tout, fichier_);
    entete.Section("en-tête");
    if (tout.size() < TailleEntete || std::memcmp(tout.data(), Signature, 8) != 0)
        throw ErreurGeocodeur(Erreur::Compose(fichier_, 0,
                                              "ce n'est pas un fichier du géocodeur (signature "
                                              "absente)."));
    entete.Bloc(8);
    const std::uint32_t version = entete.Mot32();
    if (version != VersionFormat)
        entete.Endommage("version " + std::to_string(version) + " inconnue (attendue " +
                         std::to_string(VersionFormat) + ")");
    entete.Mot32();
    const std::uint64_t taille = entete.Mot64();
    const std::uint64_t somme = entete.Mot64();
    if (taille != tout.size() - TailleEntete)
        entete.Endommage("taille " + std::to_string(tout.size()) + " au lieu de " +
                         std::to_string(taille + TailleEntete) + " octets");
    const auto corps = tout.subspan(TailleEntete);
    if (Fnv1a(corps) != somme) entete.Endommage("somme de contrôle fausse");

    Lecteur l(corps, fichier_);
    l.Section("pays");
    const std::uint32_t nPays = l.Nombre(6, NombreMaxPays);
    Pays.reserve(nPays);
    for (std::uint32_t i = 0; i < nPays; ++i) {
        l.Enregistrement(i + 1);
        TPays p;
        p.Iso = l.Texte16();
        p.Nom = l.Texte16();
        p.Cles = l.Textes();
        if (p.Iso.size() != 2) l.Endommage("code de pays invalide");
        Pays.push_back(std::move(p));
    }
    l.Section("province");
    const std::uint32_t nProvinces = l.Nombre(8, NombreMaxProvinces);
    Provinces.reserve(nProvinces);
    for (std::uint32_t i = 0; i < nProvinces; ++i) {
        l.Enregistrement(i + 1);
        TProvince p;
        p.Pays = l.Mot16();
        p.Code = l.Texte16();
        p.Nom = l.Texte16();
        p.Cles = l.Textes();
        if (p.Pays >= Pays.size()) l.Endommage("pays hors limites");
        Provinces.push_back(std::move(p));
    }
    l.Section("département");
    const std::uint32_t nDeps = l.Nombre(8, 0xFFFF);
    Departements.reserve(nDeps);
    for (std::uint32_t i = 0; i < nDeps; ++i) {
        l.Enregistrement(i + 1);
        TDepartementFr d;
        d.Code = l.Texte16();
        d.Nom = l.Texte16();
        d.Pays = l.Texte16();
        d.Cles = l.Textes();
        if (d.Code.empty() || d.Code.size() > 3) l.Endommage("code de département invalide");
        Departements.push_back(std::move(d));
    }
    l.Section("région");
    const std::uint32_t nRegions = l.Nombre(6, 0xFFFF);
    Regions.reserve(nRegions);
    for (std::uint32_t i = 0; i < nRegions; ++i) {
        l.Enregistrement(i + 1);
        TRegionFr r;
        r.Nom = l.Texte16();
        r.Departements = l.Textes();
        r.Cles = l.Textes();
        Regions.push_back(std::move(r));
    }

    l.Section("lieu");
    const std::uint32_t nLieux = l.Nombre(TailleLieu, NombreMaxLieux);
    Lieux.resize(nLieux);
    const auto blocLieux = l.Bloc(static_cast<std::size_t>(nLieux) * TailleLieu);
    LecteurOctets table(blocLieux, fichier_);
    for (TLieu& lieu : Lieux) {
        lieu.Latitude = table.Entier32();
        lieu.Longitude = table.Entier32();
        lieu.Nom = table.Mot32();
        lieu.Pays = table.Mot16();
        lieu.Province = table.Mot16();
        lieu.Population = table.Mot32();
        lieu.Genre = table.Octet();
    }
    l.Section("noms des lieux");
    tailleNoms_ = l.Mot32();
    debutNoms_ = TailleEntete + l.Position();
    const auto noms = l.Bloc(tailleNoms_);
    for (std::uint32_t i = 0; i < nLieux; ++i) {
        const TLieu& lieu = Lieux[i];
        l.Section("lieu", static_cast<long>(i) + 1);
        if (lieu.Latitude < -9000000 || lieu.Latitude > 9000000 || lieu.Longitude < -18000000 ||
            lieu.Longitude > 18000000)
            l.Endommage("coordonnées hors limites");
        if (lieu.Pays >= Pays.size()) l.Endommage("pays hors limites");
        if (lieu.Province != AucuneProvince && lieu.Province >= Provinces.size())
            l.Endommage("province hors limites");
        if (lieu.Nom >= noms.size() || noms[lieu.Nom] + 1u > noms.size() - lieu.Nom)
            l.Endommage("nom hors limites");
        if (lieu.Genre > 2) l.Endommage("genre inconnu");
    }

    l.Section("index des clés");
    nombreCles_ = l.Mot32();
    const std::uint32_t nBlocs = l.Nombre(4, 0xFFFFFFFF);
    if (nBlocs != (nombreCles_ + ClesParBloc - 1) / ClesParBloc)
        l.Endommage("nombre de blocs incohérent");
    blocs_.resize(nBlocs);
    for (auto& b : blocs_)
        b = l.Mot32();
    tailleIndex_ = l.Mot32();
    debutIndex_ = TailleEntete + l.Position();
    const auto index = l.Bloc(tailleIndex_);
    if (l.Restant() != 0) l.Endommage("octets en trop à la fin");

    // Every key once: lengths, order, targets, block starts.
    const LecteurIndex li{index, Lieux.size()};
    std::size_t position = 0;
    std::string cle, precedente, erreur;
    for (std::size_t i = 0; i < nombreCles_; ++i) {
        l.Section("clé", static_cast<long>(i) + 1);
        if (i % ClesParBloc == 0) {
            if (blocs_[i / ClesParBloc] != position) l.Endommage("début de bloc faux");
            if (position < index.size() && index[position] != 0)
                l.Endommage("bloc ne commençant pas par une clé entière");
        }
        if (!li.Suivante(position, cle, nullptr, &erreur)) l.Endommage(erreur);
        if (i > 0 && !(precedente < cle)) l.Endommage("clés mal triées");
        precedente = cle;
    }
    if (position != index.size()) {
        l.Section("index des clés");
        l.Endommage("octets en trop");
    }
}

TMonde TMonde::Charge(const fs::path& chemin) {
    const std::string nom = chemin.filename().string();
    std::error_code ec;
    if (!fs::is_regular_file(chemin, ec))
        throw ErreurGeocodeur("Fichier \"" + nom + "\" du géocodeur non existant ou déplacé ! (" +
                              chemin.string() + ")");
    std::ifstream flux(chemin, std::ios::binary);
    const auto taille = fs::file_size(chemin, ec);
    if (!flux || ec) throw ErreurGeocodeur("Impossible d'ouvrir le fichier \"" + nom + "\".");
    std::vector<std::uint8_t> octets(static_cast<std::size_t>(taille));
    flux.read(reinterpret_cast<char*>(octets.data()), static_cast<std::streamsize>(taille));
    if (static_cast<std::uintmax_t>(flux.gcount()) != taille)
        throw ErreurGeocodeur("Erreur de lecture du fichier \"" + nom + "\".");
    return TMonde(std::move(octets), nom);
}

std::string_view TMonde::NomLieu(std::size_t i) const {
    const std::size_t p = debutNoms_ + Lieux[i].Nom;
    return {reinterpret_cast<const char*>(octets_.data() + p + 1), octets_[p]};
}

std::span<const std::uint8_t> TMonde::Noms() const {
    return std::span<const std::uint8_t>(octets_).subspan(debutNoms_, tailleNoms_);
}

std::vector<std::uint32_t> TMonde::Cibles(std::string_view cherchee) const {
    std::vector<std::uint32_t> cibles;
    if (blocs_.empty() || cherchee.empty()) return cibles;
    const auto index = std::span<const std::uint8_t>(octets_).subspan(debutIndex_, tailleIndex_);
    auto tete = [&](std::size_t b) {
        const std::size_t p = blocs_[b];
        return std::string_view(reinterpret_cast<const char*>(index.data() + p + 2), index[p + 1]);
    };
    // The last block whose first key is not after the key sought.
    std::size_t bas = 0, haut = blocs_.size();
    while (haut - bas > 1) {
        const std::size_t milieu = (bas + haut) / 2;
        if (tete(milieu) <= cherchee)
            bas = milieu;
        else
            haut = milieu;
    }
    const LecteurIndex li{index, Lieux.size()};
    std::size_t position = blocs_[bas];
    std::string cle;
    const std::size_t fin = std::min(nombreCles_, (bas + 1) * ClesParBloc);
    for (std::size_t i = bas * ClesParBloc; i < fin; ++i) {
        std::vector<std::uint32_t> lus;
        if (!li.Suivante(position, cle, &lus, nullptr)) break;
        if (cle == cherchee) return lus;
        if (cle > cherchee) break;
    }
    return cibles;
}

std::vector<TCleLieux> TMonde::ToutesLesCles() const {
    std::vector<TCleLieux> cles;
    const auto index = std::span<const std::uint8_t>(octets_).subspan(debutIndex_, tailleIndex_);
    const LecteurIndex li{index, Lieux.size()};
    std::size_t position = 0;
    std::string cle;
    for (std::size_t i = 0; i < nombreCles_; ++i) {
        TCleLieux c;
        if (!li.Suivante(position, cle, &c.Cibles, nullptr)) break;
        c.Cle = cle;
        cles.push_back(std::move(c));
    }
    return cles;
}

} // namespace orlavine::geocodeur
