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

class Lecteur {
public:
    Lecteur(DocumentGedcom& doc, const OptionsLecture& options) : doc_(doc), options_(options) {}

    void Lit();

private:
    void Avertit(std::uint32_t ligne, std::string texte) {
        if (doc_.Avertissements.size() < options_.MaxAvertissements)
            doc_.Avertissements.push_back({ligne, std::move(texte)});
        else
            ++avertissementsPerdus_;
    }
    void ChoisitJeu(std::string_view corps);
    void VerifieDeclarationUtf16();
    void Decoupe(std::string_view corps, std::size_t debut);
    void Analyse();
    void AnalyseLigne(std::size_t i);
    void LitLieux();
    std::optional<CoordonneesLues> LitPaire(std::size_t lati, std::size_t longi,
                                            SourceCoordonnees source);
    void Resume();
    void Progresse(std::uint64_t lus) {
        if (options_.Progression && !options_.Progression(lus, doc_.Octets.size()))
            throw LectureGedcomAnnulee(doc_.NomFichier, 0, "lecture annulée");
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
    std::shared_ptr<std::string> texte_;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> decodees_; // offset and length in texte_
    std::vector<std::pair<std::uint32_t, std::uint32_t>> placs_;    // PLAC line and its record
    std::vector<std::size_t> enregistrementsLieux_;                 // _PLAC, _PLAC_DEFN, _LOC
    std::size_t avertissementsPerdus_ = 0;
    bool version7_ = false;

    // Structure while reading.
    std::vector<std::pair<std::int32_t, std::uint32_t>> pile_; // level and index
    std::int32_t niveauPrecedent_ = -1;
    std::size_t enregistrement_ = SIZE_MAX;
    std::string_view typeEnregistrement_;
    std::size_t placTete_ = SIZE_MAX;
    std::string_view formeTete_;
    std::unordered_map<std::string_view, Compteur> inconnues_;
    Compteur vides_, espaces_, lignesMalformees_;
};

void Lecteur::ChoisitJeu(std::string_view corps) {
    std::string declare;
    PrelitEntete(corps, declare, doc_.Version);
    doc_.CharDeclare = declare;
    const bool ascii = EstAscii(corps);
    const bool utf8 = ascii || EstUtf8Valide(corps);
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
void Lecteur::Decoupe(std::string_view corps, std::size_t debut) {
    const int largeur = LargeurUnite(doc_.Jeu);
    const bool petit = doc_.Jeu == Encodage::Utf16LE;
    const auto* p = reinterpret_cast<const unsigned char*>(corps.data());
    const std::size_t n =
        corps.size() / static_cast<std::size_t>(largeur) * static_cast<std::size_t>(largeur);
    auto unite = [&](std::size_t i) -> unsigned {
        if (largeur == 1) return p[i];
        const unsigned u = petit ? p[i] | (p[i + 1] << 8) : (p[i] << 8) | p[i + 1];
        return u;
    };
    // Valid UTF-8 decodes to itself: one copy of the whole body.
    const bool copie = doc_.Jeu == Encodage::Utf8 && EstUtf8Valide(corps);
    if (copie)
        texte_->assign(corps);
    else
        texte_->reserve(corps.size() + corps.size() / 2 + 16);

    // As many lines as line ends (CRLF counting once), plus a last one: the big vectors are
    // allocated once, at their size.
    std::size_t finsMax = corps.size() / 40;
    if (largeur == 1) {
        finsMax = 0;
        for (std::size_t k = 0; k < corps.size(); ++k)
            finsMax += corps[k] == '\n' ||
                       (corps[k] == '\r' && (k + 1 == corps.size() || corps[k + 1] != '\n'));
    }
    doc_.Lignes.reserve(finsMax + 1);
    decodees_.reserve(finsMax + 1);

    std::size_t lf = 0, crlf = 0, cr = 0;
    std::size_t i = 0;
    std::size_t prochainePause = 1 << 22;
    auto ajoute = [&](std::size_t debutLigne, std::size_t finLigne, std::size_t finAvecFin) {
        LigneGedcom l;
        l.Debut = debut + debutLigne;
        l.Longueur = static_cast<std::uint32_t>(finLigne - debutLigne);
        l.LongueurFin = static_cast<std::uint8_t>(finAvecFin - finLigne);
        l.Numero = static_cast<std::uint32_t>(doc_.Lignes.size() + 1);
        doc_.Lignes.push_back(l);
        if (copie) {
            decodees_.emplace_back(debutLigne, l.Longueur);
        } else {
            const std::size_t avant = texte_->size();
            const std::size_t fautes =
                DecodeVersUtf8(doc_.Jeu, corps.substr(debutLigne, finLigne - debutLigne), *texte_);
            if (fautes)
                Avertit(l.Numero, std::to_string(fautes) + " caractère(s) sans équivalent en " +
                                      NomEncodage(doc_.Jeu) + " remplacé(s) par « \xEF\xBF\xBD »");
            decodees_.emplace_back(avant, static_cast<std::uint32_t>(texte_->size() - avant));
        }
    };
    const std::size_t l = static_cast<std::size_t>(largeur);
    std::size_t debutLigne = 0;
    while (i < n) {
        const unsigned u = unite(i);
        if (u != '\r' && u != '\n') {
            i += l;
            continue;
        }
        const std::size_t finLigne = i;
        if (u == '\r' && i + l < n && unite(i + l) == '\n') {
            i += 2 * l;
            ++crlf;
        } else {
            i += l;
            ++(u == '\r' ? cr : lf);
        }
        ajoute(debutLigne, finLigne, i);
        debutLigne = i;
        if (i >= prochainePause) {
            Progresse(debut + i);
            prochainePause = i + (1 << 22);
        }
    }
    // A last line without a line end, and an odd byte at the end of UTF-16, stay in the file.
    if (debutLigne < corps.size()) ajoute(debutLigne, corps.size(), corps.size());
    Progresse(doc_.Octets.size());
    doc_.Fins = crlf >= lf && crlf >= cr ? FinDeLigne::CRLF
                : lf >= cr               ? FinDeLigne::LF
                                         : FinDeLigne::CR;
    if ((lf != 0) + (crlf != 0) + (cr != 0) > 1)
        Avertit(0, "fins de ligne mélangées (" + std::to_string(lf) + " LF, " +
                       std::to_string(crlf) + " CRLF, " + std::to_string(cr) +
                       " CR) : chacune est gardée");
}

void Lecteur::AnalyseLigne(std::size_t i) {
    LigneGedcom& l = doc_.Lignes[i];
    char* const base = texte_->data() + decodees_[i].first;
    const std::size_t n = decodees_[i].second;
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
    if (!EtiquettesConnues().count(etiquette)) inconnues_[etiquette].Compte(l.Numero);

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
            formeTete_ = valeur;
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

void Lecteur::Analyse() {
    const std::size_t n = doc_.Lignes.size();
    // The first line that is not blank must open the header.
    std::size_t premiere = 0;
    for (; premiere < n; ++premiere) {
        AnalyseLigne(premiere);
        if (doc_.Lignes[premiere].Niveau >= 0 || vides_.Nombre <= premiere) break;
    }
    if (premiere == n || doc_.Lignes[premiere].Niveau != 0 ||
        doc_.Lignes[premiere].Etiquette != "HEAD")
        throw ErreurGenealogie(doc_.NomFichier, premiere < n ? static_cast<long>(premiere + 1) : 0,
                               "ce n'est pas un fichier GEDCOM (« 0 HEAD » attendu en tête)");
    version7_ = !doc_.Version.empty() && doc_.Version.front() == '7';
    for (std::size_t i = premiere + 1; i < n; ++i) {
        AnalyseLigne(i);
        if ((i & 0xFFFF) == 0) Progresse(doc_.Lignes[i].Debut);
    }
    std::size_t derniere = n;
    while (derniere > 0 && doc_.Lignes[derniere - 1].Niveau < 0)
        --derniere;
    if (derniere == 0 || doc_.Lignes[derniere - 1].Etiquette != "TRLR" ||
        doc_.Lignes[derniere - 1].Niveau != 0)
        Avertit(derniere ? doc_.Lignes[derniere - 1].Numero : 0,
                "le fichier ne finit pas par « 0 TRLR » : il est peut-être tronqué");
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
    std::unordered_map<std::string, CoordonneesLues> parNom;
    std::unordered_map<std::string_view, CoordonneesLues> parXref;
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
            if (const auto c = carte(i)) parNom.try_emplace(doc_.TexteComplet(i), *c);
        } else if (r.Etiquette == "_PLAC_DEFN") {
            enfants(i, [&](std::size_t j) {
                if (doc_.Lignes[j].Etiquette != "PLAC") return;
                if (const auto c = carte(j)) parNom.try_emplace(doc_.TexteComplet(j), *c);
            });
        } else if (const auto c = carte(i); c && !r.Xref.empty()) {
            parXref.try_emplace(r.Xref, *c);
        }
    }

    doc_.Lieux.reserve(placs_.size());
    for (const auto& [plac, proprietaire] : placs_) {
        if ((doc_.Lieux.size() & 0x3FFF) == 0) Progresse(doc_.Octets.size());
        LieuEvenement& lieu = doc_.Lieux.emplace_back();
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
        if (!c[0] && !c[1] && !c[2] && !c[3] && (!parXref.empty() || !parNom.empty())) {
            enfants(plac, [&](std::size_t j) {
                const LigneGedcom& l = doc_.Lignes[j];
                if (l.Etiquette != "_LOC" || l.Valeur.size() < 3 || l.Valeur.front() != '@') return;
                const auto it = parXref.find(l.Valeur.substr(1, l.Valeur.size() - 2));
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
    std::vector<std::pair<std::string_view, Compteur>> inconnues(inconnues_.begin(),
                                                                 inconnues_.end());
    std::sort(inconnues.begin(), inconnues.end(),
              [](const auto& a, const auto& b) { return a.second.Premiere < b.second.Premiere; });
    for (const auto& [etiquette, r] : inconnues)
        groupe(r, "ligne(s) d'étiquette inconnue « " + std::string(etiquette) + " »");
    std::stable_sort(doc_.Avertissements.begin(), doc_.Avertissements.end(),
                     [](const auto& a, const auto& b) { return a.Ligne < b.Ligne; });
    if (avertissementsPerdus_)
        doc_.Avertissements.push_back(
            {0, "et " + std::to_string(avertissementsPerdus_) + " autres avertissements"});
}

void Lecteur::Lit() {
    const std::string_view o = doc_.Octets;
    auto commence = [&](std::string_view p) { return o.substr(0, p.size()) == p; };
    std::size_t debut = 0;
    if (commence("\xEF\xBB\xBF")) {
        doc_.Bom = true;
        debut = 3;
    } else if (commence("\xFF\xFE")) {
        doc_.Bom = true;
        doc_.Jeu = Encodage::Utf16LE;
        debut = 2;
    } else if (commence("\xFE\xFF")) {
        doc_.Bom = true;
        doc_.Jeu = Encodage::Utf16BE;
        debut = 2;
    } else if (o.size() >= 2 && o[0] != '\0' && o[1] == '\0') {
        // No BOM: a text file has no zero byte, UTF-16 has one in every ASCII character.
        doc_.Jeu = Encodage::Utf16LE;
    } else if (o.size() >= 2 && o[0] == '\0' && o[1] != '\0') {
        doc_.Jeu = Encodage::Utf16BE;
    }
    const std::string_view corps = o.substr(debut);
    if (LargeurUnite(doc_.Jeu) == 1) ChoisitJeu(corps);

    texte_ = std::make_shared<std::string>();
    Decoupe(corps, debut);
    Analyse();
    if (LargeurUnite(doc_.Jeu) == 2) VerifieDeclarationUtf16();
    decodees_ = {};
    LitLieux();
    Resume();
    doc_.Texte = texte_;
}

} // namespace

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
    Lecteur(doc, options).Lit();
    return doc;
}

} // namespace orlavine
