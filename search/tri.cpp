#include "search/tri.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace orlavine {

void ActualiserTri(TEtatTri& etat, int colonne) {
    if (colonne == etat.Colonne)
        etat.Sens = 1 - etat.Sens;
    else
        etat.Sens = 0;
    etat.Colonne = colonne;
}

void Permuter(std::vector<std::uint16_t>& resultats, std::size_t a, std::size_t b) {
    std::swap(resultats[a], resultats[b]);
}

namespace {

const AnsiString& CleCode(const TCommune& c) {
    return c.CodeInsee;
}
const AnsiString& CleNom(const TCommune& c) {
    return c.Nom;
}

// std::string compares through char_traits<char>::compare, which is memcmp: unsigned bytes,
// a shorter string before a longer one that it begins.
template <typename Cle>
void Insere(std::vector<std::uint16_t>& r, const std::vector<TCommune>& communes, std::size_t& j,
            std::size_t i, std::size_t h, Cle cle) {
    std::size_t k = j;
    while (k >= i + h && cle(communes[r[k - h]]) > cle(communes[r[k]])) {
        Permuter(r, k - h, k);
        k -= h;
    }
    j += h;
}

} // namespace

void TrierCodes(std::vector<std::uint16_t>& resultats, const std::vector<TCommune>& communes,
                std::size_t& j, std::size_t i, std::size_t h) {
    Insere(resultats, communes, j, i, h, CleCode);
}

void TrierLibs(std::vector<std::uint16_t>& resultats, const std::vector<TCommune>& communes,
               std::size_t& j, std::size_t i, std::size_t h) {
    Insere(resultats, communes, j, i, h, CleNom);
}

void Trier(std::vector<std::uint16_t>& resultats, const std::vector<TCommune>& communes,
           const TEtatTri& etat) {
    const std::size_t n = resultats.size();
    if (etat.Sens == 1) {
        for (std::size_t i = 0; i < n / 2; ++i)
            Permuter(resultats, i, n - 1 - i);
        return;
    }
    // An index outside the table cannot be keyed: such a list is left as it is.
    for (auto index : resultats)
        if (index >= communes.size()) return;
    std::size_t h = 1;
    while (h < n / 9)
        h = 3 * h + 1;
    while (h > 0) {
        for (std::size_t i = 0; i <= h; ++i) {
            std::size_t j = i + h;
            while (j < n) {
                if (etat.Colonne == ColonneCode)
                    TrierCodes(resultats, communes, j, i, h);
                else
                    TrierLibs(resultats, communes, j, i, h);
            }
        }
        h /= 3;
    }
}

namespace {

int ComparerSansCasse(const AnsiString& a, const AnsiString& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t k = 0; k < n; ++k) {
        auto ca = static_cast<unsigned char>(a[k]);
        auto cb = static_cast<unsigned char>(b[k]);
        if (ca < 128) ca = static_cast<unsigned char>(std::toupper(ca));
        if (cb < 128) cb = static_cast<unsigned char>(std::toupper(cb));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

} // namespace

int DistanceLigne(const AnsiString& distance) {
    if (distance.size() < 3) return 0;
    const char* debut = distance.data();
    const char* fin = debut + distance.size() - 3;
    long valeur = 0;
    auto [p, ec] = std::from_chars(debut, fin, valeur);
    if (ec != std::errc{} || p != fin) return 0;
    return static_cast<int>(static_cast<std::uint8_t>(valeur));
}

int ComparerVoisines(const TLigneVoisine& a, const TLigneVoisine& b, const TEtatTri& etat) {
    const bool ascendant = etat.Sens == 1;
    const TLigneVoisine& x = ascendant ? a : b;
    const TLigneVoisine& y = ascendant ? b : a;
    switch (etat.Colonne) {
    case ColonneCode:
        return ComparerSansCasse(x.Code, y.Code);
    case ColonneLibelle:
        return ComparerSansCasse(x.Nom, y.Nom);
    case ColonneDistance:
        return DistanceLigne(x.Distance) - DistanceLigne(y.Distance);
    default:
        return 0;
    }
}

} // namespace orlavine
