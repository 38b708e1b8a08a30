// GEDCOM 5.5, 5.5.1 and 7.0: reading a file into lines, places and coordinates, and writing it
// back byte for byte with only the coordinates of chosen places added, replaced or removed.
// Toolkit-free. The document keeps the file's own bytes: an export is those bytes, with the
// MAP/LATI/LONG lines of the changed PLACs spliced in.
#pragma once

#include "genealogie/encodages.h"
#include "genealogie/erreur_gedcom.h"
#include "genealogie/lieux_gedcom.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine {

// The user cancelled a reading through the progress callback.
class LectureGedcomAnnulee : public ErreurGenealogie {
public:
    using ErreurGenealogie::ErreurGenealogie;
};

enum class FinDeLigne : std::uint8_t { LF, CRLF, CR };

// One physical line of the file. Texts are UTF-8 views into the document's decoded text (valid
// as long as a copy of the document lives). Xref without its '@' ("I12"); Valeur with "@@"
// read as "@" (a pointer value such as "@F3@" is left as written).
struct LigneGedcom {
    std::uint64_t Debut = 0;           // offset of its first byte in DocumentGedcom::Octets
    std::uint32_t Longueur = 0;        // its bytes, line end excluded
    std::uint8_t LongueurFin = 0;      // bytes of its line end (0 on a last line without one)
    std::int32_t Niveau = -1;          // -1: not a GEDCOM line (kept as is, reported)
    std::uint32_t Numero = 0;          // line number in the file, from 1
    std::uint32_t Parent = SansParent; // index in Lignes of the enclosing line
    std::string_view Xref;
    std::string_view Etiquette;
    std::string_view Valeur;

    static constexpr std::uint32_t SansParent = 0xFFFFFFFFu;
};

enum class SourceCoordonnees : std::uint8_t {
    PlacMap,            // PLAC.MAP.LATI/LONG
    AddrMap,            // ADDR.MAP.LATI/LONG of the same event
    LatiLong,           // ADDR._LATI/_LONG, or _LATI/_LONG of the event or of the PLAC
    EvenMap,            // MAP written directly under the event
    EnregistrementLieu, // the MAP of a place record: "0 _PLAC", "0 _PLAC_DEFN", "0 _LOC"
    TextePlac           // degrees, minutes, seconds at the end of the PLAC text
};

struct CoordonneesLues {
    double Latitude = 0;  // degrees, north positive
    double Longitude = 0; // degrees, east positive
    SourceCoordonnees Source = SourceCoordonnees::PlacMap;
    std::uint32_t NumeroLigne = 0; // line of the LATI (or _LATI)
};

// One event (or any structure below a record) carrying a PLAC. Where several sources give
// coordinates, the first of PLAC.MAP, the event's own MAP, ADDR.MAP, _LATI/_LONG, a place record
// (by its _LOC pointer, else by the same text), a position ending the PLAC text wins. Such a
// position is left out of the parts and of TexteLieu (Texte keeps it).
struct LieuEvenement {
    std::string_view Proprietaire;     // xref of the level-0 record ("I12"), may be empty
    std::string_view TypeProprietaire; // its tag ("INDI", "FAM"...)
    std::string_view Evenement;        // tag of the PLAC's parent ("BIRT", "MARR", "EVEN"...)
    std::uint32_t IndexPlac = 0;       // index of the PLAC line in DocumentGedcom::Lignes
    std::uint32_t LignePlac = 0;       // its line number in the file
    std::string Texte;                 // the place as written, CONC/CONT joined
    PartiesLieu Parties;
    std::string TexteLieu; // the place record's text: the place without its lieu-dit
    std::optional<CoordonneesLues> Coordonnees;
};

struct AvertissementGedcom {
    std::uint32_t Ligne = 0; // 0: the whole file
    std::string Texte;       // French
};

struct OptionsLecture {
    // Fills PartiesLieu::Commune when the layout must be guessed (the atlas, in the program).
    TestCommune EstCommune;
    // Called now and then with the bytes read so far and the total; false cancels the reading
    // (LectureGedcomAnnulee).
    std::function<bool(std::uint64_t lus, std::uint64_t total)> Progression;
    // Called with Progression: the lines read so far.
    std::function<void(std::uint64_t lignes)> LignesLues;
    // Warnings beyond this number are counted in one last warning; so are the distinct
    // unknown tags beyond MaxEtiquettesInconnues (one grouped warning for the rest).
    std::size_t MaxAvertissements = 1000;
    std::size_t MaxEtiquettesInconnues = 200;
    // Bytes asked of the source at a time.
    std::size_t TailleMorceau = std::size_t{1} << 20;
    // In a reading in one pass, the lines kept at most before those read are let go (at the
    // next record).
    std::size_t LignesParPiece = std::size_t{1} << 16;
};

// The bytes of a GEDCOM file, read by pieces at any position: a file on disk, the copy kept in
// a base, a string.
class SourceGedcom {
public:
    virtual ~SourceGedcom() = default;
    virtual std::uint64_t Taille() const = 0;
    // Copies up to `n` bytes from `position` into `tampon` and says how many (fewer only at
    // the end); throws ErreurGenealogie when the bytes cannot be read.
    virtual std::size_t Lit(std::uint64_t position, char* tampon, std::size_t n) = 0;
};

class SourceTexte : public SourceGedcom {
public:
    explicit SourceTexte(std::string_view octets) : octets_(octets) {}
    std::uint64_t Taille() const override { return octets_.size(); }
    std::size_t Lit(std::uint64_t position, char* tampon, std::size_t n) override;

private:
    std::string_view octets_;
};

// The views of Lignes and Lieux point into Texte only: a caller that keeps just the places may
// free Lignes (the biggest part) and Octets; the writer needs both.
struct DocumentGedcom {
    std::string NomFichier;
    std::string Octets; // the file as read, BOM included
    Encodage Jeu = Encodage::Utf8;
    std::string CharDeclare; // HEAD.CHAR as written, may be empty
    std::string Version;     // HEAD.GEDC.VERS, may be empty
    bool Bom = false;
    FinDeLigne Fins = FinDeLigne::LF;  // the most frequent line end
    std::shared_ptr<const void> Texte; // the decoded text the views point into
    std::vector<LigneGedcom> Lignes;
    std::vector<LieuEvenement> Lieux; // in file order
    std::vector<AvertissementGedcom> Avertissements;
    std::size_t Individus = 0;
    std::size_t Familles = 0;
    std::size_t Evenements = 0;      // level-1 events of INDI and FAM records
    std::size_t LignesIgnorees = 0;  // lines that are not GEDCOM lines (kept in the export)
    std::size_t CoordonneesLues = 0; // places whose coordinates were read

    // The text of a line followed by its CONC/CONT children (CONT adds a line feed).
    std::string TexteComplet(std::size_t index) const;
};

// What a reading in one pass hands over as it goes, instead of keeping it in the document.
struct RecepteurGedcom {
    // Each place as soon as its record is read; its views are valid during the call only.
    std::function<void(LieuEvenement&)> Lieu;
    // Every piece of the file as read, in order, once (not again in a second pass).
    std::function<void(std::string_view)> Octets;
    // The places handed so far are void and come again: place records (_PLAC, _LOC...) met
    // after places they give coordinates to make the reader go over the file once more.
    std::function<void()> Recommence;
    // The lines of each piece of the file cut at a record ("0 ..." line), in
    // DocumentGedcom::Lignes; the header is always a piece of its own. False stops the reading
    // (LitGedcomFlux returns what it has). Places are not read when this is set.
    std::function<bool(const DocumentGedcom&)> Fenetre;
};

// Reads a GEDCOM file from its bytes. `nomFichier` names it in messages and warnings. Throws
// ErreurGenealogie when the bytes are not a GEDCOM file at all (no "0 HEAD" first line), and
// LectureGedcomAnnulee when the progress callback says stop. Everything else is accepted, kept
// and reported in the warnings with its line number.
DocumentGedcom LitGedcom(std::string octets, const std::string& nomFichier,
                         const OptionsLecture& options = {});

// The same reading in memory that does not grow with the file: the bytes are read from
// `source` by pieces and go to `recepteur` with the places, record by record (an 8-bit file
// is looked over once before, its character set being chosen on all of its bytes). The
// document returned has no Octets, Lignes, Lieux nor Texte; the rest (character set, version,
// counts, warnings) is as LitGedcom gives it.
DocumentGedcom LitGedcomFlux(SourceGedcom& source, const std::string& nomFichier,
                             const RecepteurGedcom& recepteur, const OptionsLecture& options = {});

// A new position for the place of one event, named by the line number of its PLAC in the file
// that was read; `Retirer` removes the PLAC's MAP instead.
struct CoordonneesEvenement {
    std::uint32_t LignePlac = 0;
    double Latitude = 0;
    double Longitude = 0;
    bool Retirer = false;
};

// What an export did beyond the positions asked for.
struct RapportEcriture {
    std::size_t Ecrits = 0; // PLACs whose MAP was written, replaced or removed
    // PLACs of LDS ordinances (BAPL, CONL, ENDL, SLGC, SLGS) left without the position asked
    // for: GEDCOM 5.5 and 5.5.1 allow nothing under them (a MAP already there is removed).
    std::size_t OrdonnancesSansCoordonnees = 0;
    std::string VersionRelevee; // "5.5.1" when a GEDCOM 5.5 file gained a MAP, else empty
};

// The file's bytes, unchanged when `changements` is empty. Otherwise only the MAP under each
// named PLAC is replaced (or added after the PLAC's substructures, or removed): "MAP", "LATI"
// then "LONG", hemisphere letters, at most 6 decimals, at the replaced MAP's level (else the
// PLAC's level + 1), in the file's character set and with that line's own line end. What else
// a MAP holds stays under it. Where the file's version allows no MAP the position is not
// written: under the PLAC of an LDS ordinance of any version but 7 (counted in `rapport`); a
// GEDCOM 5.5 file, which has no MAP at all, that gains one is declared 5.5.1 instead
// (HEAD.GEDC.VERS, the only other line that changes). Throws ErreurGenealogie when a line
// number names no PLAC, for a position out of range, and for a UTF-16 file with an odd number
// of bytes.
std::string EcritGedcom(const DocumentGedcom& document,
                        const std::vector<CoordonneesEvenement>& changements,
                        RapportEcriture* rapport = nullptr);

// The same, the file read from `source` by pieces and written to `sortie` by pieces, in
// memory that does not grow with the file (LitGedcomFlux). An unchanged file is copied as is.
RapportEcriture EcritGedcomFlux(SourceGedcom& source, const std::string& nomFichier,
                                const std::vector<CoordonneesEvenement>& changements,
                                const std::function<void(std::string_view)>& sortie,
                                const OptionsLecture& options = {});

} // namespace orlavine
