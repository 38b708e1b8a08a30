// GEDCOM file <-> base: the import reads the file with the GEDCOM reader and builds a new base;
// the export writes the stored file back with the positions changed since the import. Both
// go through the file by pieces: their memory does not grow with it.
#pragma once

#include "genealogie/base.h"
#include "genealogie/gedcom.h"

#include <filesystem>
#include <functional>

namespace orlavine {

struct OptionsImportGedcom {
    bool Remplacer = false;
    // Recognises town names where a place's layout must be guessed (the program's atlas).
    TestCommune EstCommune;
    // 0..100 over the whole import; false stops it (ImportAnnule, nothing written).
    std::function<bool(int)> Progression;
    // Called with the lines read so far, as often as Progression.
    std::function<void(std::uint64_t lignes)> LignesLues;
};

struct ResultatImport {
    TComptesBase Comptes;
    std::vector<AvertissementGedcom> Avertissements;
    std::string Encodage; // the character set the file was read in
};

// Reads `fichier` and creates the base `base` from it (see CreeBase for what a failure leaves).
ResultatImport ImporteGedcom(const std::filesystem::path& fichier,
                             const std::filesystem::path& base,
                             const OptionsImportGedcom& options = {});

// Writes the base's file to `sortie`, atomically, with the positions stored since the import.
// Says how many PLACs had their coordinates written or removed, how many LDS ordinances' PLACs
// were left without them, and whether the GEDCOM version was raised (EcritGedcom).
// The file is written by pieces; `progression`, when given, gets the bytes written so far
// and the size of the stored file.
RapportEcriture ExporteGedcom(
    TBaseGenealogie& base, const std::filesystem::path& sortie,
    const std::function<void(std::uint64_t ecrits, std::uint64_t total)>& progression = {});

// The export's report as the user reads it (French, one sentence a line): the places written,
// then only what applies of the ordinances left out and the version raised.
std::vector<std::string> PhrasesExport(const RapportEcriture& rapport);

// Writes through a temporary file of the same folder renamed over `chemin`; on failure the
// previous file is untouched and ErreurGenealogie gives the French reason.
void EcritAtomique(const std::filesystem::path& chemin, std::string_view octets);
// The same, the bytes given by pieces: `remplit` calls the function it gets with each.
void EcritAtomique(
    const std::filesystem::path& chemin,
    const std::function<void(const std::function<void(std::string_view)>&)>& remplit);

} // namespace orlavine
