// The three data files of the atlas, each with its reader and its writer side by side.
// Readers take the whole file in memory and check every length before they use it: a
// damaged file raises ErreurAtlas and hands on nothing it did not check.
#pragma once

#include "atlas/types.h"
#include "host/octets.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace orlavine {

class IProgression;

inline constexpr const char* NomFichierCommunes = "cc.dat";
inline constexpr const char* NomFichierDepartements = "departement.txt";
inline constexpr const char* NomFichierContours = "pointdepii.dat";
// Side file of "cc.dat": which records are delegated, associated or former communes.
inline constexpr const char* NomFichierCommunesLiees = "ccliees.dat";
// Side file of "cc.dat": the postal codes of the records beyond their own.
inline constexpr const char* NomFichierCodesPostaux = "ccpostaux.dat";
// Side file of "cc.dat": the official names of the records, as they are written.
inline constexpr const char* NomFichierNomsOfficiels = "ccnoms.dat";

// Scrambling keys of "cc.dat": part of the format, shared by reader and writer.
namespace cle_communes {
inline constexpr std::uint8_t Coordonnees = 0x5A;
inline constexpr std::uint8_t Longitude = 0x3C;
inline constexpr std::uint8_t Latitude = 0xA7;
inline constexpr std::uint8_t Rang = 0x6E;
inline constexpr std::uint8_t Nom = 0xD2;
inline constexpr std::uint8_t Article = 0x91;
inline constexpr std::uint8_t CodeInsee = 0x4B;
inline constexpr std::uint8_t CodePostal = 0xE8;
} // namespace cle_communes

// Scrambling keys of "pointdepii.dat".
namespace cle_contours {
inline constexpr std::uint8_t Nombre = 0x2F;
inline constexpr std::uint8_t X = 0xB6;
inline constexpr std::uint8_t Y = 0x73;
} // namespace cle_contours

inline constexpr int NombreDepartements = 95; // lines of "departement.txt"
inline constexpr int NombreContours = 203;    // records of "pointdepii.dat"
inline constexpr std::size_t LongueurMaxNomDepartement = 255;
inline constexpr std::size_t NombreMaxCommunes = 65536; // indexes are 16-bit

// The reader of the atlas files. Every fault raises ErreurAtlas:
// "Fichier "cc.dat" endommagé : <detail>.", a read past the end naming the record being read
// ("enregistrement 12 incomplet") or the header.
class LecteurAtlas : public LecteurOctets {
public:
    using LecteurOctets::LecteurOctets;
    void Enregistrement(long numero) { enregistrement_ = numero; }
    // Endommage(), naming the current record: "enregistrement 12 : <detail>".
    [[noreturn]] void EndommageEnregistrement(const std::string& detail) const;

protected:
    void Leve(const std::string& detail) const override;
    std::string DetailDepassement(std::size_t demande) const override;

private:
    long enregistrement_ = 0;
};

// The whole content of a file; raises ErreurAtlas with `messageAbsent` when it is missing.
std::vector<std::uint8_t> LitFichierEntier(const std::filesystem::path& chemin,
                                           const std::string& messageAbsent);
// Writes through a temporary file renamed over the target: a failed write leaves the old
// file as it was. Raises ErreurAtlas on failure.
void EcritFichierAtomique(const std::filesystem::path& chemin,
                          std::span<const std::uint8_t> octets);

// ---- "cc.dat" -------------------------------------------------------------------------
// Reads one record at the reader's position into `commune` (freshly constructed).
void LitCommune(TCommune& commune, LecteurAtlas& lecteur);
// Appends the records of a whole file's bytes to `communes`.
void LitCommunes(std::span<const std::uint8_t> octets, std::vector<TCommune>& communes,
                 IProgression* progression = nullptr);
// Reads `dossier`/"cc.dat" and appends its records. Missing file:
// "Fichier "cc.dat" non existant ou déplacé!".
void ChargeCommunes(std::vector<TCommune>& communes, const std::filesystem::path& dossier,
                    IProgression* progression = nullptr);
std::vector<std::uint8_t> EcritCommunes(const std::vector<TCommune>& communes);

// ---- "departement.txt" ----------------------------------------------------------------
void LitNomsDepartements(std::span<const std::uint8_t> octets, std::vector<AnsiString>& noms,
                         IProgression* progression = nullptr);
// Missing file: "Fichier "Departement.txt" non existant ou déplacé!".
void ChargeNomsDepartements(std::vector<AnsiString>& noms, const std::filesystem::path& dossier,
                            IProgression* progression = nullptr);
// 95 lines "NN Name\n" from the names of departments 1 to 95 (Windows-1252).
std::vector<std::uint8_t> EcritNomsDepartements(const std::vector<AnsiString>& noms);

// ---- "pointdepii.dat" -----------------------------------------------------------------
// Reads one record into departement.Contour.
void LitDepartement(TDepartement& departement, LecteurAtlas& lecteur);
void LitContours(std::span<const std::uint8_t> octets, std::vector<TDepartement>& departements);
// Missing file: "Fichier "pointdepii.dat" non existant ou déplacé!".
void ChargeContours(std::vector<TDepartement>& departements, const std::filesystem::path& dossier);
// One record per outline (points and indices of Contour), padded with empty records to 203.
// More than 203 outlines raise ErreurAtlas.
std::vector<std::uint8_t> EcritContours(const std::vector<TPointsDep>& contours);

// ---- "ccliees.dat" -------------------------------------------------------------------
// Little-endian, in the clear: the signature "CCLI", the format version (16-bit, 1), the
// record count of the "cc.dat" it goes with (32-bit), the entry count m (32-bit), then m
// entries of 5 bytes: record index (16-bit), kind (1 delegated, 2 associated, 3 former),
// parent's record index (16-bit). Entries in increasing index order; a parent is a current
// commune, that is a record no entry names.
inline constexpr std::uint16_t VersionCommunesLiees = 1;

// Reads a whole file's bytes, checked against a communes file of `nombreCommunes` records,
// into `liees` (replaced only when the whole file is sound).
void LitCommunesLiees(std::span<const std::uint8_t> octets, std::size_t nombreCommunes,
                      std::vector<TCommuneLiee>& liees);
// Reads `dossier`/"ccliees.dat". An atlas folder without it (the three files only) has
// current communes only: `liees` is emptied and nothing is raised.
void ChargeCommunesLiees(std::vector<TCommuneLiee>& liees, const std::filesystem::path& dossier,
                         std::size_t nombreCommunes);
// Raises ErreurAtlas on entries the reader would refuse.
std::vector<std::uint8_t> EcritCommunesLiees(const std::vector<TCommuneLiee>& liees,
                                             std::size_t nombreCommunes);

// ---- "ccpostaux.dat" -----------------------------------------------------------------
// Little-endian, in the clear: the signature "CCCP", the format version (16-bit, 1), the
// record count of the "cc.dat" it goes with (32-bit), the entry count m (32-bit), then m
// entries of 7 bytes: record index (16-bit), postal code (5 ASCII digits). Entries in
// increasing order of index, then of code, none twice. A record's own CodePostal stays in
// "cc.dat" and is not repeated here.
inline constexpr std::uint16_t VersionCodesPostaux = 1;

// Reads a whole file's bytes, checked against a communes file of `nombreCommunes` records,
// into `codes` (replaced only when the whole file is sound). A faulty entry is named with its
// number and byte offset: "enregistrement 2 (octet 21) : ...".
void LitCodesPostaux(std::span<const std::uint8_t> octets, std::size_t nombreCommunes,
                     std::vector<TAutreCodePostal>& codes);
// Reads `dossier`/"ccpostaux.dat". An atlas folder without it knows one postal code per
// commune: `codes` is emptied and nothing is raised.
void ChargeCodesPostaux(std::vector<TAutreCodePostal>& codes, const std::filesystem::path& dossier,
                        std::size_t nombreCommunes);
// Raises ErreurAtlas on entries the reader would refuse.
std::vector<std::uint8_t> EcritCodesPostaux(const std::vector<TAutreCodePostal>& codes,
                                            std::size_t nombreCommunes);

// ---- "ccnoms.dat" -------------------------------------------------------------------
// Little-endian, in the clear: the signature "CCNO", the format version (16-bit, 1), the
// record count of the "cc.dat" it goes with (32-bit), the entry count m (32-bit), then m
// entries: record index (16-bit), name length L (8-bit, 1 to 255), L bytes of the name in
// Windows-1252. Entries in strictly increasing index order. A name holds no control
// character nor any of the five bytes Windows-1252 leaves undefined, and neither begins
// nor ends with a space. A record without an entry has no official name of its own.
inline constexpr std::uint16_t VersionNomsOfficiels = 1;
inline constexpr std::size_t LongueurMaxNomOfficiel = 255;

// Reads a whole file's bytes, checked against a communes file of `nombreCommunes` records,
// into `noms` (replaced only when the whole file is sound). A faulty entry is named with its
// number and byte offset: "enregistrement 2 (octet 21) : ...".
void LitNomsOfficiels(std::span<const std::uint8_t> octets, std::size_t nombreCommunes,
                      std::vector<TNomOfficiel>& noms);
// Reads `dossier`/"ccnoms.dat". An atlas folder without it has no official names: `noms`
// is emptied and nothing is raised.
void ChargeNomsOfficiels(std::vector<TNomOfficiel>& noms, const std::filesystem::path& dossier,
                         std::size_t nombreCommunes);
// Raises ErreurAtlas on entries the reader would refuse.
std::vector<std::uint8_t> EcritNomsOfficiels(const std::vector<TNomOfficiel>& noms,
                                             std::size_t nombreCommunes);

} // namespace orlavine
