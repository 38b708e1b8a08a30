// GEDCOM reader: character set, lines, structure, places and coordinates.
#include "genealogie/gedcom.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace orlavine {

namespace {

// Tags of GEDCOM 5.5.1 and 7.0. Any other tag is accepted, kept and reported once.
const std::unordered_set<std::string_view>& EtiquettesConnues() {
    static const std::unordered_set<std::string_view> etiquettes = {
        "ABBR", "ADDR",   "ADOP",  "ADR1", "ADR2",  "ADR3",  "AFN",    "AGE",  "AGNC", "ALIA",
        "ANCE", "ANCI",   "ANUL",  "ASSO", "AUTH",  "BAPL",  "BAPM",   "BARM", "BASM", "BIRT",
        "BLES", "BLOB",   "BURI",  "CALN", "CAST",  "CAUS",  "CENS",   "CHAN", "CHAR", "CHIL",
        "CHR",  "CHRA",   "CITY",  "CONC", "CONF",  "CONL",  "CONT",   "COPR", "CORP", "CREM",
        "CROP", "CTRY",   "DATA",  "DATE", "DEAT",  "DESC",  "DESI",   "DEST", "DIV",  "DIVF",
        "DSCR", "EDUC",   "EMAIL", "EMIG", "ENDL",  "ENGA",  "EVEN",   "EXID", "FACT", "FAM",
        "FAMC", "FAMS",   "FAX",   "FCOM", "FILE",  "FONE",  "FORM",   "GEDC", "GIVN", "GRAD",
        "HEAD", "HEIGHT", "HUSB",  "IDNO", "IMMI",  "INDI",  "INIL",   "LANG", "LATI", "LEFT",
        "LONG", "MAP",    "MARB",  "MARC", "MARL",  "MARR",  "MARS",   "MEDI", "MIME", "NAME",
        "NATI", "NATU",   "NCHI",  "NICK", "NMR",   "NO",    "NOTE",   "NPFX", "NSFX", "OBJE",
        "OCCU", "ORDI",   "ORDN",  "PAGE", "PEDI",  "PHON",  "PHRASE", "PLAC", "POST", "PROB",
        "PROP", "PUBL",   "QUAY",  "REFN", "RELA",  "RELI",  "REPO",   "RESN", "RESI", "RETI",
        "RFN",  "RIN",    "ROLE",  "ROMN", "SCHMA", "SDATE", "SEX",    "SLGC", "SLGS", "SNOTE",
        "SOUR", "SPFX",   "SSN",   "STAE", "STAT",  "SUBM",  "SUBN",   "SURN", "TAG",  "TEMP",
        "TEXT", "TIME",   "TITL",  "TOP",  "TRAN",  "TRLR",  "TYPE",   "UID",  "VERS", "WIDTH",
        "WIFE", "WILL",   "WWW",   "CREA",
    };
    return etiquettes;
}

// Event and attribute structures of individuals and families.
bool EstEvenement(std::string_view e) {
    static const std::unordered_set<std::string_view> evenements = {
        "ADOP", "ANUL", "BAPM", "BARM", "BASM", "BIRT", "BLES", "BURI", "CAST", "CENS", "CHR",
        "CHRA", "CONF", "CREM", "DEAT", "DIV",  "DIVF", "DSCR", "EDUC", "EMIG", "ENGA", "EVEN",
        "FACT", "FCOM", "GRAD", "IDNO", "IMMI", "MARB", "MARC", "MARL", "MARR", "MARS", "NATI",
        "NATU", "NCHI", "NMR",  "OCCU", "ORDN", "PROB", "PROP", "RELI", "RESI", "RETI", "SSN",
        "TITL", "WILL", "BAPL", "CONL", "ENDL", "SLGC", "SLGS", "INIL",
    };
    return evenements.count(e) != 0;
}

bool EstEspace(char c) {
    return c == ' ' || c == '\t';
}

// The raw lines of the start of an 8-bit file, to find HEAD.CHAR and HEAD.GEDC.VERS before
// the character set is known.
void PrelitEntete(std::string_view corps, std::string& valeurChar, std::string& version) {
    std::size_t pos = 0;
    bool dansGedc = false;
    bool dansEntete = false;
    for (int n = 0; n < 5000 && pos < corps.size(); ++n) {
        std::size_t fin = pos;
        while (fin < corps.size() && corps[fin] != '\r' && corps[fin] != '\n')
            ++fin;
        std::string_view l = corps.substr(pos, fin - pos);
        pos = fin;
        if (pos < corps.size() && corps[pos] == '\r') ++pos;
        if (pos < corps.size() && corps[pos] == '\n') ++pos;

        while (!l.empty() && EstEspace(l.front()))
            l.remove_prefix(1);
        if (l.size() < 3 || l[0] < '0' || l[0] > '9' || !EstEspace(l[1])) continue;
        const char niveau = l[0];
        l.remove_prefix(2);
        while (!l.empty() && EstEspace(l.front()))
            l.remove_prefix(1);
        const std::size_t espace = l.find_first_of(" \t");
        const std::string_view etiquette = l.substr(0, espace);
        std::string_view valeur =
            espace == std::string_view::npos ? std::string_view() : l.substr(espace + 1);
        while (!valeur.empty() && EstEspace(valeur.back()))
            valeur.remove_suffix(1);
        if (niveau == '0' && dansEntete) return; // end of the header
        if (niveau == '0') dansEntete = true;
        if (niveau == '1') dansGedc = etiquette == "GEDC";
        if (niveau == '1' && etiquette == "CHAR") valeurChar = valeur;
        if (niveau == '2' && dansGedc && etiquette == "VERS") version = valeur;
    }
}

struct Compteur {
    std::uint32_t Premiere = 0;
    std::size_t Nombre = 0;
    void Compte(std::uint32_t ligne) {
        if (Nombre++ == 0) Premiere = ligne;
    }
};

// What the character set is chosen on, read over the whole file before it is decoded.
struct Prelecture {
    std::string Char;    // HEAD.CHAR
    std::string Version; // HEAD.GEDC.VERS
    bool Ascii = true;
    bool Utf8 = true;
};

// The length a UTF-8 lead byte announces (1 for a byte that leads nothing).
std::size_t LongueurSequence(unsigned char b) {
    return b >= 0xF8 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
}

// Whether the pieces of a file, in order, are ASCII and well-formed UTF-8: a sequence cut
// between two pieces is checked whole.
class VerificateurUtf8 {
public:
    void Ajoute(std::string_view morceau) {
        if (p_.Ascii) p_.Ascii = EstAscii(morceau);
        if (!p_.Utf8 || p_.Ascii) return;
        if (!reste_.empty()) {
            const std::size_t attendu = LongueurSequence(static_cast<unsigned char>(reste_[0]));
            const std::size_t pris = std::min(attendu - reste_.size(), morceau.size());
            reste_.append(morceau.substr(0, pris));
            morceau.remove_prefix(pris);
            if (reste_.size() < attendu) return;
            p_.Utf8 = EstUtf8Valide(reste_);
            reste_.clear();
            if (!p_.Utf8) return;
        }
        std::size_t coupe = morceau.size();
        for (std::size_t j = 1; j <= 3 && j <= morceau.size(); ++j) {
            const auto b = static_cast<unsigned char>(morceau[morceau.size() - j]);
            if ((b & 0xC0) == 0x80) continue;
            if (j < LongueurSequence(b)) coupe = morceau.size() - j;
            break;
        }
        p_.Utf8 = EstUtf8Valide(morceau.substr(0, coupe));
        reste_.assign(morceau.substr(coupe));
    }
    void Termine() {
        if (!reste_.empty()) p_.Utf8 = false;
    }
    Prelecture& Resultat() { return p_; }

private:
    Prelecture p_;
    std::string reste_;
};

// The decoded lines, in blocks that never move: the views of the lines point into them.
class Arene {
public:
    char* Copie(std::string_view texte) {
        if (blocs_.empty() || libre_ < texte.size()) {
            const std::size_t taille = std::max(texte.size(), TailleBloc);
            blocs_.emplace_back(new char[taille]);
            libre_ = taille;
            suite_ = blocs_.back().get();
        }
        char* p = suite_;
        std::copy(texte.begin(), texte.end(), p);
        suite_ += texte.size();
        libre_ -= texte.size();
        return p;
    }
    // Frees every block but the last, which holds the last line copied.
    void GardeDernier() {
        if (blocs_.size() > 1) blocs_.erase(blocs_.begin(), blocs_.end() - 1);
    }

private:
    static constexpr std::size_t TailleBloc = std::size_t{1} << 20;
    std::vector<std::unique_ptr<char[]>> blocs_;
    char* suite_ = nullptr;
    std::size_t libre_ = 0;
};

// What the places read so far know of the place records, over the passes of one reading.
struct LieuxConnus {
    std::unordered_map<std::string, CoordonneesLues> ParNom;
    std::unordered_map<std::string, CoordonneesLues> ParXref;
    bool SansCoordonnees = false; // a place went without coordinates...
    bool Recommencer = false;     // ... and a place record came after it
};

// A stop asked by RecepteurGedcom::Fenetre.
struct ArretDemande {};

// One pass over the file. In memory (no recepteur) the whole document is kept; in one pass
// (a recepteur) only the lines of the current piece, cut at a record.
class Lecteur {
public:
    Lecteur(DocumentGedcom& doc, const OptionsLecture& options, SourceGedcom& source,
            const RecepteurGedcom* recepteur, LieuxConnus& lieux)
        : doc_(doc), options_(options), source_(source), recepteur_(recepteur), lieux_(lieux),
          arene_(std::make_shared<Arene>()) {}

    // The character set from the first bytes and, for 8-bit files, from the whole file.
    void Prepare();
    // The same choice as an earlier pass over the same file.
    void Reprend(const Lecteur& autre) {
        debutCorps_ = autre.debutCorps_;
        copie_ = autre.copie_;
    }
    // `octets`: whether the recepteur gets the bytes in this pass.
    void Lit(bool octets);

private:
    void Avertit(std::uint32_t ligne, std::string texte) {
        if (doc_.Avertissements.size() < options_.MaxAvertissements)
            doc_.Avertissements.push_back({ligne, std::move(texte)});
        else
            ++avertissementsPerdus_;
    }
    void ChoisitJeu(const Prelecture& p);
    void VerifieDeclarationUtf16();
    void Ligne(std::string_view brute, std::uint64_t debut, std::size_t longueurFin);
    void AnalyseLigne(std::size_t i, char* base, std::size_t n);
    // Reads the places of the lines before `fin` and, in one pass, forgets those lines.
    void Vide(std::size_t fin, bool derniere);
    void LitLieux();
    std::optional<CoordonneesLues> LitPaire(std::size_t lati, std::size_t longi,
                                            SourceCoordonnees source);
    void Resume();
    void Progresse(std::uint64_t lus) {
        if (options_.Progression && !options_.Progression(lus, source_.Taille()))
            throw LectureGedcomAnnulee(doc_.NomFichier, 0, "lecture annulée");
        if (options_.LignesLues) options_.LignesLues(numero_);
    }
    std::size_t FinSousArbre(std::size_t i) const {
        const std::int32_t niveau = doc_.Lignes[i].Niveau;
        std::size_t j = i + 1;
        while (j < doc_.Lignes.size() &&
               (doc_.Lignes[j].Niveau < 0 || doc_.Lignes[j].Niveau > niveau))
            ++j;
        return j;
    }

    DocumentGedcom& doc_;
    const OptionsLecture& options_;
    SourceGedcom& source_;
    const RecepteurGedcom* recepteur_;
    LieuxConnus& lieux_;
    std::shared_ptr<Arene> arene_;
    std::string decodee_; // the line being decoded
    std::uint64_t debutCorps_ = 0;
    bool copie_ = false; // valid UTF-8: each line is its own text
    std::uint64_t lus_ = 0;
    std::uint32_t numero_ = 0;
    std::size_t lieuxLus_ = 0;
    std::size_t lf_ = 0, crlf_ = 0, cr_ = 0;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> placs_; // PLAC line and its record
    std::vector<std::size_t> enregistrementsLieux_;              // _PLAC, _PLAC_DEFN, _LOC
    std::size_t avertissementsPerdus_ = 0;
    bool version7_ = false;

    // Structure while reading.
    bool teteVue_ = false;             // the first line that is not blank, "0 HEAD"
    std::uint32_t derniereGedcom_ = 0; // number of the last GEDCOM line, 0 when none
    bool derniereTrlr_ = false;
    std::vector<std::pair<std::int32_t, std::uint32_t>> pile_; // level and index
    std::int32_t niveauPrecedent_ = -1;
    std::size_t enregistrement_ = SIZE_MAX;
    std::string_view typeEnregistrement_;
    std::size_t placTete_ = SIZE_MAX;
    std::string formeTete_;
    std::unordered_map<std::string, Compteur> inconnues_;
    Compteur vides_, espaces_, lignesMalformees_, autresInconnues_;
};

void Lecteur::ChoisitJeu(const Prelecture& p) {
    const std::string& declare = p.Char;
    doc_.Version = p.Version;
    doc_.CharDeclare = declare;
    const bool ascii = p.Ascii;
    const bool utf8 = ascii || p.Utf8;
    Encodage annonce = Encodage::Utf8;
    const bool connu = EncodageDeclare(declare, annonce);
    // A declaration the bytes cannot bear out whatever they hold: a name of no character set,
    // or UTF-16 for a file of 8-bit units.
    const bool inconnu = !declare.empty() && !connu;
    const bool seize = connu && annonce == Encodage::Utf16LE;
    const auto avertitDeclaration = [&] {
        if (inconnu)
            Avertit(0, "jeu de caractères déclaré inconnu (CHAR " + declare + ") : lu en " +
                           NomEncodage(doc_.Jeu));
        else
            Avertit(0, "le fichier déclare CHAR " + declare +
                           " (UTF-16) mais n'est pas en UTF-16 : lu en " + NomEncodage(doc_.Jeu));
    };

    if (doc_.Bom) {
        doc_.Jeu = Encodage::Utf8;
        if (inconnu || seize)
            avertitDeclaration();
        else if (connu && annonce != Encodage::Utf8 && !ascii)
            Avertit(0, "le fichier commence par la marque UTF-8 mais déclare CHAR " + declare +
                           " : lu en UTF-8");
        return;
    }
    if (connu && (annonce == Encodage::Utf8 || ascii) && !seize) {
        doc_.Jeu = ascii && annonce != Encodage::Utf8 ? annonce : Encodage::Utf8;
        if (annonce == Encodage::Utf8 && !utf8)
            Avertit(0, "le fichier déclare UTF-8 mais contient des octets invalides en UTF-8 : "
                       "ils sont remplacés par « \xEF\xBF\xBD »");
        return;
    }
    if (utf8) {
        doc_.Jeu = Encodage::Utf8;
        if (inconnu || seize)
            avertitDeclaration();
        else if (!declare.empty() && !ascii && annonce != Encodage::Utf8)
            Avertit(0, "le fichier déclare CHAR " + declare +
                           " mais son texte est de l'UTF-8 valide : lu en UTF-8");
        return;
    }
    if (connu && !seize && annonce != Encodage::Ascii) {
        doc_.Jeu = annonce;
        return;
    }
    doc_.Jeu = Encodage::Windows1252;
    if (declare.empty())
        Avertit(0, "jeu de caractères non déclaré (HEAD.CHAR) : lu en Windows-1252");
    else if (inconnu)
        avertitDeclaration();
    else
        Avertit(0, "le jeu de caractères déclaré (CHAR " + declare +
                       ") ne convient pas aux octets du fichier : lu en Windows-1252");
}

// A UTF-16 file (told by its bytes) whose HEAD.CHAR names no set or another one.
void Lecteur::VerifieDeclarationUtf16() {
    const std::string& declare = doc_.CharDeclare;
    if (declare.empty()) return;
    Encodage annonce = Encodage::Utf8;
    if (!EncodageDeclare(declare, annonce))
        Avertit(0, "jeu de caractères déclaré inconnu (CHAR " + declare + ") : lu en " +
                       NomEncodage(doc_.Jeu));
    else if (annonce != Encodage::Utf16LE)
        Avertit(0, "le fichier déclare CHAR " + declare + " mais il est en UTF-16 : lu en " +
                       NomEncodage(doc_.Jeu));
}

// Cuts the body into lines (CR, LF or CRLF, in code units of the character set) and decodes
// each into the UTF-8 text.

void Lecteur::AnalyseLigne(std::size_t i, char* const base, const std::size_t n) {
    LigneGedcom& l = doc_.Lignes[i];
    std::size_t j = 0;
    while (j < n && EstEspace(base[j]))
        ++j;
    if (j == n) {
        vides_.Compte(l.Numero);
        ++doc_.LignesIgnorees;
        return;
    }
    if (j > 0) espaces_.Compte(l.Numero);
    auto malformee = [&](const char* pourquoi) {
        lignesMalformees_.Compte(l.Numero);
        ++doc_.LignesIgnorees;
        Avertit(l.Numero, std::string("ligne illisible (") + pourquoi + ") : gardée telle quelle");
    };
    std::int32_t niveau = 0;
    std::size_t chiffres = 0;
    while (j < n && base[j] >= '0' && base[j] <= '9' && chiffres < 3) {
        niveau = niveau * 10 + (base[j] - '0');
        ++j;
        ++chiffres;
    }
    if (chiffres == 0) return malformee("niveau attendu");
    if (j == n || !EstEspace(base[j])) return malformee("espace attendue après le niveau");
    while (j < n && EstEspace(base[j]))
        ++j;
    std::string_view xref;
    if (j < n && base[j] == '@') {
        std::size_t k = j + 1;
        while (k < n && base[k] != '@' && !EstEspace(base[k]))
            ++k;
        if (k == n || base[k] != '@' || k == j + 1) return malformee("référence @…@ mal formée");
        xref = std::string_view(base + j + 1, k - j - 1);
        j = k + 1;
        if (j == n || !EstEspace(base[j])) return malformee("étiquette attendue");
        while (j < n && EstEspace(base[j]))
            ++j;
    }
    const std::size_t debutEtiquette = j;
    while (j < n && !EstEspace(base[j]))
        ++j;
    if (j == debutEtiquette) return malformee("étiquette attendue");
    const std::string_view etiquette(base + debutEtiquette, j - debutEtiquette);
    std::string_view valeur;
    if (j < n) {
        char* v = base + j + 1;
        std::size_t lv = n - j - 1;
        // "@@" stands for "@" (7.0: only at the start of the value).
        if (lv >= 2 && std::string_view(v, lv).find("@@") != std::string_view::npos) {
            if (version7_) {
                if (v[0] == '@' && v[1] == '@') {
                    ++v;
                    --lv;
                }
            } else {
                std::size_t e = 0;
                for (std::size_t k = 0; k < lv; ++k) {
                    v[e++] = v[k];
                    if (v[k] == '@' && k + 1 < lv && v[k + 1] == '@') ++k;
                }
                lv = e;
            }
        }
        valeur = std::string_view(v, lv);
    }

    l.Niveau = niveau;
    l.Xref = xref;
    l.Etiquette = etiquette;
    l.Valeur = valeur;

    if (niveau > niveauPrecedent_ + 1 && niveauPrecedent_ >= 0)
        Avertit(l.Numero, "saut de niveau (" + std::to_string(niveau) + " après " +
                              std::to_string(niveauPrecedent_) + ") : rattachée à la ligne " +
                              "de niveau inférieur qui précède");
    niveauPrecedent_ = niveau;
    while (!pile_.empty() && pile_.back().first >= niveau)
        pile_.pop_back();
    if (!pile_.empty()) l.Parent = pile_.back().second;
    pile_.emplace_back(niveau, static_cast<std::uint32_t>(i));

    if (!version7_ && n > 255) {
        std::size_t caracteres = 0;
        for (std::size_t k = 0; k < n; ++k)
            caracteres += (static_cast<unsigned char>(base[k]) & 0xC0) != 0x80;
        if (caracteres > 255)
            Avertit(l.Numero, "ligne de " + std::to_string(caracteres) +
                                  " caractères (255 au plus en GEDCOM 5.5) : gardée entière");
    }
    if (!EtiquettesConnues().count(etiquette)) {
        // Grouped by tag; a damaged file with ever new ones gets one group for the rest.
        const std::string cle(etiquette);
        auto it = inconnues_.find(cle);
        if (it == inconnues_.end() && inconnues_.size() < options_.MaxEtiquettesInconnues)
            it = inconnues_.emplace(cle, Compteur{}).first;
        (it != inconnues_.end() ? it->second : autresInconnues_).Compte(l.Numero);
    }

    if (niveau == 0) {
        enregistrement_ = i;
        typeEnregistrement_ = etiquette;
        if (etiquette == "_PLAC" || etiquette == "_PLAC_DEFN" || etiquette == "_LOC")
            enregistrementsLieux_.push_back(i);
        if (etiquette == "INDI")
            ++doc_.Individus;
        else if (etiquette == "FAM")
            ++doc_.Familles;
        return;
    }
    if (l.Parent == LigneGedcom::SansParent) return;
    const LigneGedcom& parent = doc_.Lignes[l.Parent];
    if (typeEnregistrement_ == "HEAD") {
        if (niveau == 1 && etiquette == "PLAC")
            placTete_ = i;
        else if (etiquette == "FORM" && l.Parent == placTete_)
            formeTete_ = std::string(valeur);
        else if (niveau == 1 && etiquette == "CHAR")
            doc_.CharDeclare = valeur;
        else if (etiquette == "VERS" && parent.Etiquette == "GEDC" && parent.Niveau == 1) {
            doc_.Version = valeur;
            version7_ = !valeur.empty() && valeur.front() == '7';
        }
        return;
    }
    if (niveau == 1 && (typeEnregistrement_ == "INDI" || typeEnregistrement_ == "FAM") &&
        EstEvenement(etiquette))
        ++doc_.Evenements;
    // A PLAC right under a record names a place (place definitions), not an event's place.
    if (etiquette == "PLAC" && enregistrement_ != SIZE_MAX && parent.Niveau >= 1)
        placs_.emplace_back(static_cast<std::uint32_t>(i),
                            static_cast<std::uint32_t>(enregistrement_));
}

std::optional<CoordonneesLues> Lecteur::LitPaire(std::size_t lati, std::size_t longi,
                                                 SourceCoordonnees source) {
    const LigneGedcom& a = doc_.Lignes[lati];
    if (longi == SIZE_MAX) {
        Avertit(a.Numero, "latitude sans longitude : ignorée");
        return std::nullopt;
    }
    const LigneGedcom& b = doc_.Lignes[longi];
    char la = 0, lb = 0;
    std::optional<double> lat = LitCoordonnee(a.Valeur, la);
    std::optional<double> lon = LitCoordonnee(b.Valeur, lb);
    if (!lat || !lon) {
        const LigneGedcom& fautive = !lat ? a : b;
        Avertit(fautive.Numero,
                "coordonnée illisible « " + std::string(fautive.Valeur) + " » : position ignorée");
        return std::nullopt;
    }
    if ((la == 'E' || la == 'W') && (lb == 'N' || lb == 'S')) {
        std::swap(lat, lon);
        Avertit(a.Numero, "latitude et longitude inversées (" + std::string(a.Valeur) + ", " +
                              std::string(b.Valeur) + ") : remises dans l'ordre");
    } else if (la == 'E' || la == 'W' || lb == 'N' || lb == 'S') {
        Avertit(a.Numero, "lettres d'hémisphère incohérentes (" + std::string(a.Valeur) + ", " +
                              std::string(b.Valeur) + ") : position ignorée");
        return std::nullopt;
    }
    if (std::fabs(*lat) > 90 || std::fabs(*lon) > 180) {
        Avertit(a.Numero, "position hors limites (" + std::string(a.Valeur) + ", " +
                              std::string(b.Valeur) + ") : ignorée");
        return std::nullopt;
    }
    if (*lat == 0 && *lon == 0) {
        Avertit(a.Numero, "position 0, 0 (aucune position réelle) : ignorée");
        return std::nullopt;
    }
    return CoordonneesLues{*lat, *lon, source, a.Numero};
}

void Lecteur::LitLieux() {
    const std::vector<Juridiction> formeTete = LitFormeLieu(formeTete_);
    auto enfants = [&](std::size_t i, auto&& f) {
        const std::size_t fin = FinSousArbre(i);
        for (std::size_t j = i + 1; j < fin; ++j)
            if (doc_.Lignes[j].Parent == i && doc_.Lignes[j].Niveau >= 0) f(j);
    };
    // LATI/LONG (or _LATI/_LONG) among the children of `i`.
    auto paire = [&](std::size_t i, std::string_view tagLat, std::string_view tagLon,
                     SourceCoordonnees source) -> std::optional<CoordonneesLues> {
        std::size_t lati = SIZE_MAX, longi = SIZE_MAX;
        enfants(i, [&](std::size_t j) {
            if (doc_.Lignes[j].Etiquette == tagLat && lati == SIZE_MAX) lati = j;
            if (doc_.Lignes[j].Etiquette == tagLon && longi == SIZE_MAX) longi = j;
        });
        if (lati == SIZE_MAX && longi == SIZE_MAX) return std::nullopt;
        if (lati == SIZE_MAX) {
            Avertit(doc_.Lignes[longi].Numero, "longitude sans latitude : ignorée");
            return std::nullopt;
        }
        return LitPaire(lati, longi, source);
    };
    auto garde = [](std::optional<CoordonneesLues>& cible, std::optional<CoordonneesLues> c) {
        if (!cible && c) cible = c;
    };

    // Place records some programs write: "0 _PLAC name" with a MAP, "0 _PLAC_DEFN" holding
    // "1 PLAC name" with a MAP, "0 @L1@ _LOC" with a MAP that a PLAC points to with "_LOC @L1@".
    std::unordered_map<std::string, CoordonneesLues>& parNom = lieux_.ParNom;
    std::unordered_map<std::string, CoordonneesLues>& parXref = lieux_.ParXref;
    // A place record read after places that went without coordinates: they may have needed it.
    auto tardif = [&](bool nouveau) {
        if (nouveau && lieux_.SansCoordonnees) lieux_.Recommencer = true;
    };
    auto carte = [&](std::size_t i) {
        std::optional<CoordonneesLues> r;
        enfants(i, [&](std::size_t j) {
            if (doc_.Lignes[j].Etiquette == "MAP")
                garde(r, paire(j, "LATI", "LONG", SourceCoordonnees::EnregistrementLieu));
        });
        return r;
    };
    for (const std::size_t i : enregistrementsLieux_) {
        const LigneGedcom& r = doc_.Lignes[i];
        if (r.Etiquette == "_PLAC") {
            if (const auto c = carte(i))
                tardif(parNom.try_emplace(doc_.TexteComplet(i), *c).second);
        } else if (r.Etiquette == "_PLAC_DEFN") {
            enfants(i, [&](std::size_t j) {
                if (doc_.Lignes[j].Etiquette != "PLAC") return;
                if (const auto c = carte(j))
                    tardif(parNom.try_emplace(doc_.TexteComplet(j), *c).second);
            });
        } else if (const auto c = carte(i); c && !r.Xref.empty()) {
            tardif(parXref.try_emplace(std::string(r.Xref), *c).second);
        }
    }

    if (!recepteur_) doc_.Lieux.reserve(doc_.Lieux.size() + placs_.size());
    for (const auto& [plac, proprietaire] : placs_) {
        if ((++lieuxLus_ & 0x3FFF) == 0) Progresse(lus_);
        LieuEvenement lieu;
        const LigneGedcom& p = doc_.Lignes[proprietaire];
        lieu.Proprietaire = p.Xref;
        lieu.TypeProprietaire = p.Etiquette;
        lieu.Evenement = doc_.Lignes[doc_.Lignes[plac].Parent].Etiquette;
        lieu.IndexPlac = plac;
        lieu.LignePlac = doc_.Lignes[plac].Numero;
        lieu.Texte = doc_.TexteComplet(plac);
        std::vector<Juridiction> forme;
        bool aForme = false;
        // PLAC.MAP, event MAP, ADDR.MAP, _LATI/_LONG or a place record
        std::optional<CoordonneesLues> c[4];
        enfants(plac, [&](std::size_t j) {
            const std::string_view e = doc_.Lignes[j].Etiquette;
            if (e == "FORM" && !aForme) {
                forme = LitFormeLieu(doc_.Lignes[j].Valeur);
                aForme = true;
            } else if (e == "MAP") {
                garde(c[0], paire(j, "LATI", "LONG", SourceCoordonnees::PlacMap));
            }
        });
        garde(c[3], paire(plac, "_LATI", "_LONG", SourceCoordonnees::LatiLong));
        const std::size_t evenement = doc_.Lignes[plac].Parent;
        enfants(evenement, [&](std::size_t j) {
            const std::string_view e = doc_.Lignes[j].Etiquette;
            if (e == "MAP") {
                garde(c[1], paire(j, "LATI", "LONG", SourceCoordonnees::EvenMap));
            } else if (e == "ADDR") {
                enfants(j, [&](std::size_t m) {
                    if (doc_.Lignes[m].Etiquette == "MAP")
                        garde(c[2], paire(m, "LATI", "LONG", SourceCoordonnees::AddrMap));
                });
                garde(c[3], paire(j, "_LATI", "_LONG", SourceCoordonnees::LatiLong));
            }
        });
        garde(c[3], paire(evenement, "_LATI", "_LONG", SourceCoordonnees::LatiLong));
        if (!c[0] && !c[1] && !c[2] && !c[3]) lieux_.SansCoordonnees = true;
        if (!c[0] && !c[1] && !c[2] && !c[3] && (!parXref.empty() || !parNom.empty())) {
            enfants(plac, [&](std::size_t j) {
                const LigneGedcom& l = doc_.Lignes[j];
                if (l.Etiquette != "_LOC" || l.Valeur.size() < 3 || l.Valeur.front() != '@') return;
                const auto it = parXref.find(std::string(l.Valeur.substr(1, l.Valeur.size() - 2)));
                if (it != parXref.end()) garde(c[3], it->second);
            });
            if (const auto it = parNom.find(lieu.Texte); it != parNom.end())
                garde(c[3], it->second);
        }
        std::string_view texte = lieu.Texte;
        double latitude = 0, longitude = 0;
        std::string_view reste;
        if (LitCoordonneesTexte(lieu.Texte, latitude, longitude, reste)) {
            texte = reste;
            garde(c[3], CoordonneesLues{latitude, longitude, SourceCoordonnees::TextePlac,
                                        doc_.Lignes[plac].Numero});
        }
        for (auto& coordonnees : c)
            if (coordonnees) {
                lieu.Coordonnees = coordonnees;
                ++doc_.CoordonneesLues;
                break;
            }
        lieu.Parties =
            DecoupeLieu(texte, aForme ? forme : formeTete, options_.EstCommune, &lieu.TexteLieu);
        if (!recepteur_)
            doc_.Lieux.push_back(std::move(lieu));
        else if (recepteur_->Lieu)
            recepteur_->Lieu(lieu);
    }
}

void Lecteur::Resume() {
    auto groupe = [&](const Compteur& r, const std::string& quoi) {
        if (r.Nombre == 0) return;
        doc_.Avertissements.push_back(
            {r.Premiere, std::to_string(r.Nombre) + " " + quoi + " (la première ligne " +
                             std::to_string(r.Premiere) + ") : gardée(s) telle(s) quelle(s)"});
    };
    groupe(vides_, "ligne(s) vide(s)");
    groupe(espaces_, "ligne(s) commençant par des espaces");
    std::vector<std::pair<std::string, Compteur>> inconnues(inconnues_.begin(), inconnues_.end());
    std::sort(inconnues.begin(), inconnues.end(),
              [](const auto& a, const auto& b) { return a.second.Premiere < b.second.Premiere; });
    for (const auto& [etiquette, r] : inconnues)
        groupe(r, "ligne(s) d'étiquette inconnue « " + etiquette + " »");
    groupe(autresInconnues_, "ligne(s) d'autres étiquettes inconnues");
    std::stable_sort(doc_.Avertissements.begin(), doc_.Avertissements.end(),
                     [](const auto& a, const auto& b) { return a.Ligne < b.Ligne; });
    if (avertissementsPerdus_)
        doc_.Avertissements.push_back(
            {0, "et " + std::to_string(avertissementsPerdus_) + " autres avertissements"});
}

void Lecteur::Prepare() {
    char tete[3] = {};
    const std::size_t n = source_.Lit(0, tete, sizeof tete);
    const std::string_view o(tete, n);
    auto commence = [&](std::string_view p) { return o.substr(0, p.size()) == p; };
    if (commence("\xEF\xBB\xBF")) {
        doc_.Bom = true;
        debutCorps_ = 3;
    } else if (commence("\xFF\xFE")) {
        doc_.Bom = true;
        doc_.Jeu = Encodage::Utf16LE;
        debutCorps_ = 2;
    } else if (commence("\xFE\xFF")) {
        doc_.Bom = true;
        doc_.Jeu = Encodage::Utf16BE;
        debutCorps_ = 2;
    } else if (o.size() >= 2 && o[0] != '\0' && o[1] == '\0') {
        // No BOM: a text file has no zero byte, UTF-16 has one in every ASCII character.
        doc_.Jeu = Encodage::Utf16LE;
    } else if (o.size() >= 2 && o[0] == '\0' && o[1] != '\0') {
        doc_.Jeu = Encodage::Utf16BE;
    }
    if (LargeurUnite(doc_.Jeu) != 1) return;
    // An 8-bit file: what HEAD.CHAR says is weighed against all of its bytes.
    VerificateurUtf8 verificateur;
    std::string morceau(std::max<std::size_t>(options_.TailleMorceau, 1), '\0');
    std::string entete;
    constexpr std::size_t TailleEntete = std::size_t{8} << 20;
    for (std::uint64_t pos = debutCorps_;;) {
        const std::size_t lu = source_.Lit(pos, morceau.data(), morceau.size());
        if (lu == 0) break;
        const std::string_view m(morceau.data(), lu);
        if (entete.size() < TailleEntete) entete.append(m.substr(0, TailleEntete - entete.size()));
        verificateur.Ajoute(m);
        pos += lu;
    }
    verificateur.Termine();
    Prelecture& p = verificateur.Resultat();
    PrelitEntete(entete, p.Char, p.Version);
    ChoisitJeu(p);
    copie_ = doc_.Jeu == Encodage::Utf8 && (p.Ascii || p.Utf8);
}

// One line of the file: decoded, copied into the arena and read.
void Lecteur::Ligne(std::string_view brute, std::uint64_t debut, std::size_t longueurFin) {
    LigneGedcom l;
    l.Debut = debut;
    l.Longueur = static_cast<std::uint32_t>(brute.size());
    l.LongueurFin = static_cast<std::uint8_t>(longueurFin);
    l.Numero = ++numero_;
    std::string_view texte = brute;
    if (!copie_) {
        decodee_.clear();
        const std::size_t fautes = DecodeVersUtf8(doc_.Jeu, brute, decodee_);
        if (fautes)
            Avertit(l.Numero, std::to_string(fautes) + " caractère(s) sans équivalent en " +
                                  NomEncodage(doc_.Jeu) + " remplacé(s) par « \xEF\xBF\xBD »");
        texte = decodee_;
    }
    char* const p = arene_->Copie(texte);
    const std::size_t i = doc_.Lignes.size();
    doc_.Lignes.push_back(l);
    const std::string_view typePrecedent = typeEnregistrement_;
    const std::size_t videsAvant = vides_.Nombre;
    AnalyseLigne(i, p, texte.size());
    const LigneGedcom& a = doc_.Lignes[i];
    if (a.Niveau >= 0) {
        derniereGedcom_ = a.Numero;
        derniereTrlr_ = a.Niveau == 0 && a.Etiquette == "TRLR";
    }
    if (!teteVue_) {
        // The first line that is not blank must open the header.
        if (a.Niveau < 0 && vides_.Nombre > videsAvant) return;
        if (a.Niveau != 0 || a.Etiquette != "HEAD")
            throw ErreurGenealogie(doc_.NomFichier, a.Numero,
                                   "ce n'est pas un fichier GEDCOM (« 0 HEAD » attendu en tête)");
        teteVue_ = true;
        version7_ = !doc_.Version.empty() && doc_.Version.front() == '7';
        return;
    }
    // In one pass, the lines read so far go at a record: after the header, then every so often.
    if (recepteur_ && a.Niveau == 0 && i > 0 &&
        (i >= options_.LignesParPiece || typePrecedent == "HEAD"))
        Vide(i, false);
}

void Lecteur::Vide(std::size_t fin, bool derniere) {
    const LigneGedcom suivante = fin < doc_.Lignes.size() ? doc_.Lignes[fin] : LigneGedcom{};
    doc_.Lignes.resize(fin);
    // The record that starts the next piece is read with it.
    const bool lieuSuivant = !enregistrementsLieux_.empty() && enregistrementsLieux_.back() == fin;
    if (lieuSuivant) enregistrementsLieux_.pop_back();
    if (recepteur_ && recepteur_->Fenetre) {
        if (!recepteur_->Fenetre(doc_)) throw ArretDemande{};
    } else {
        LitLieux();
    }
    placs_.clear();
    enregistrementsLieux_.clear();
    if (derniere || !recepteur_) return;
    if (lieuSuivant) enregistrementsLieux_.push_back(0);
    // The record that starts the next piece: its first line, still in the arena's last block.
    doc_.Lignes.assign(1, suivante);
    arene_->GardeDernier();
    pile_.assign(1, {0, 0});
    enregistrement_ = 0;
    placTete_ = SIZE_MAX;
}

void Lecteur::Lit(bool octets) {
    const std::uint64_t taille = source_.Taille();
    const int largeur = LargeurUnite(doc_.Jeu);
    const std::size_t l = static_cast<std::size_t>(largeur);
    const bool petit = doc_.Jeu == Encodage::Utf16LE;
    const std::size_t morceau = std::max<std::size_t>(options_.TailleMorceau, 1);
    const bool donneOctets = octets && recepteur_ && recepteur_->Octets;
    // The bytes not yet cut into lines; `origine` is the file offset of its first byte.
    std::string tampon;
    std::uint64_t origine = debutCorps_;
    std::uint64_t position = debutCorps_;
    std::size_t debutLigne = 0, i = 0;
    if (donneOctets && debutCorps_ > 0) {
        std::string bom(static_cast<std::size_t>(debutCorps_), '\0');
        source_.Lit(0, bom.data(), bom.size());
        recepteur_->Octets(bom);
    }
    std::uint64_t prochainePause = 0;
    bool fin = false;
    while (!fin) {
        // The unread rest moves to the front, the next piece after it.
        tampon.erase(0, debutLigne);
        origine += debutLigne;
        i -= debutLigne;
        debutLigne = 0;
        const std::size_t avant = tampon.size();
        tampon.resize(avant + morceau);
        const std::size_t lu = source_.Lit(position, tampon.data() + avant, morceau);
        tampon.resize(avant + lu);
        if (lu && donneOctets) recepteur_->Octets(std::string_view(tampon).substr(avant));
        position += lu;
        lus_ = position;
        fin = lu == 0 || position >= taille;
        if (position >= prochainePause || fin) {
            Progresse(position);
            prochainePause = position + (std::uint64_t{1} << 22);
        }

        const auto* p = reinterpret_cast<const unsigned char*>(tampon.data());
        const std::size_t n = tampon.size() / l * l;
        auto unite = [&](std::size_t k) -> unsigned {
            if (largeur == 1) return p[k];
            return petit ? p[k] | (p[k + 1] << 8) : (p[k] << 8) | p[k + 1];
        };
        while (i < n) {
            const unsigned u = unite(i);
            if (u != '\r' && u != '\n') {
                i += l;
                continue;
            }
            // A CR that ends the piece may be the first half of a CRLF.
            if (u == '\r' && i + l >= n && !fin) break;
            const std::size_t finLigne = i;
            if (u == '\r' && i + l < n && unite(i + l) == '\n') {
                i += 2 * l;
                ++crlf_;
            } else {
                i += l;
                ++(u == '\r' ? cr_ : lf_);
            }
            Ligne(std::string_view(tampon).substr(debutLigne, finLigne - debutLigne),
                  origine + debutLigne, i - finLigne);
            debutLigne = i;
        }
    }
    // A last line without a line end, and an odd byte at the end of UTF-16, stay in the file.
    if (debutLigne < tampon.size())
        Ligne(std::string_view(tampon).substr(debutLigne), origine + debutLigne, 0);
    if (!teteVue_)
        throw ErreurGenealogie(doc_.NomFichier, 0,
                               "ce n'est pas un fichier GEDCOM (« 0 HEAD » attendu en tête)");
    if (options_.LignesLues) options_.LignesLues(numero_);
    doc_.Fins = crlf_ >= lf_ && crlf_ >= cr_ ? FinDeLigne::CRLF
                : lf_ >= cr_                 ? FinDeLigne::LF
                                             : FinDeLigne::CR;
    if ((lf_ != 0) + (crlf_ != 0) + (cr_ != 0) > 1)
        Avertit(0, "fins de ligne mélangées (" + std::to_string(lf_) + " LF, " +
                       std::to_string(crlf_) + " CRLF, " + std::to_string(cr_) +
                       " CR) : chacune est gardée");
    if (!derniereTrlr_)
        Avertit(derniereGedcom_,
                "le fichier ne finit pas par « 0 TRLR » : il est peut-être tronqué");
    if (LargeurUnite(doc_.Jeu) == 2) VerifieDeclarationUtf16();
    Vide(doc_.Lignes.size(), true);
    Resume();
    if (!recepteur_) doc_.Texte = arene_;
}

} // namespace

std::size_t SourceTexte::Lit(std::uint64_t position, char* tampon, std::size_t n) {
    if (position >= octets_.size()) return 0;
    const std::size_t k = std::min<std::size_t>(n, octets_.size() - position);
    std::copy_n(octets_.data() + position, k, tampon);
    return k;
}

std::string DocumentGedcom::TexteComplet(std::size_t index) const {
    const LigneGedcom& l = Lignes.at(index);
    std::string t(l.Valeur);
    for (std::size_t j = index + 1; j < Lignes.size(); ++j) {
        const LigneGedcom& e = Lignes[j];
        if (e.Niveau >= 0 && e.Niveau <= l.Niveau) break;
        if (e.Parent != index || e.Niveau < 0) continue;
        if (e.Etiquette == "CONC") {
            t += e.Valeur;
        } else if (e.Etiquette == "CONT") {
            t += '\n';
            t += e.Valeur;
        }
    }
    return t;
}

DocumentGedcom LitGedcom(std::string octets, const std::string& nomFichier,
                         const OptionsLecture& options) {
    DocumentGedcom doc;
    doc.NomFichier = nomFichier;
    doc.Octets = std::move(octets);
    // Line numbers and line lengths are 32-bit.
    if (doc.Octets.size() > 0xFFFFFFFFull)
        throw ErreurGenealogie(nomFichier, 0, "fichier de plus de 4 Gio : trop grand");
    SourceTexte source(doc.Octets);
    LieuxConnus lieux;
    Lecteur lecteur(doc, options, source, nullptr, lieux);
    lecteur.Prepare();
    lecteur.Lit(false);
    return doc;
}

DocumentGedcom LitGedcomFlux(SourceGedcom& source, const std::string& nomFichier,
                             const RecepteurGedcom& recepteur, const OptionsLecture& options) {
    DocumentGedcom doc;
    doc.NomFichier = nomFichier;
    if (source.Taille() > 0xFFFFFFFFull)
        throw ErreurGenealogie(nomFichier, 0, "fichier de plus de 4 Gio : trop grand");
    LieuxConnus lieux;
    try {
        Lecteur premier(doc, options, source, &recepteur, lieux);
        premier.Prepare();
        const DocumentGedcom prepare = doc;
        premier.Lit(true);
        if (lieux.Recommencer && !recepteur.Fenetre) {
            // Place records came after places they may give coordinates to: a second pass,
            // with all of them known, gives what a reading in memory gives.
            if (recepteur.Recommence) recepteur.Recommence();
            doc = prepare;
            Lecteur second(doc, options, source, &recepteur, lieux);
            second.Reprend(premier);
            second.Lit(false);
        }
    } catch (const ArretDemande&) {
    }
    doc.Lignes.clear();
    return doc;
}

} // namespace orlavine
