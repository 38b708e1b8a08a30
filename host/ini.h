// A small INI file: sections of "key=value" lines, read and written in their order.
// Section and key names compare without regard to ASCII case, as the platform's INI files
// do. Saving goes through a temporary file renamed over the target, so a failed write never
// leaves a truncated file behind.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orlavine {

class TIniFile {
public:
    TIniFile() = default;
    // Reads the file when it exists (a missing or unreadable file reads as empty).
    explicit TIniFile(std::filesystem::path chemin);

    const std::filesystem::path& Chemin() const { return chemin_; }
    // True when the file existed and could be read.
    bool Lu() const { return lu_; }

    // Replaces the content with the parsed text.
    void Analyse(std::string_view texte);
    // The file's text as it would be written.
    std::string Texte() const;

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view cle) const;
    std::string ReadString(std::string_view section, std::string_view cle,
                           std::string_view defaut) const;
    // The value as a decimal integer (or hexadecimal with "$" or "0x"); `defaut` when the key
    // is missing or its value is not such a number.
    int ReadInteger(std::string_view section, std::string_view cle, int defaut) const;
    // True for a non-zero number, false for zero, `defaut` otherwise.
    bool ReadBool(std::string_view section, std::string_view cle, bool defaut) const;
    // The keys of a section, in file order.
    std::vector<std::string> ReadSection(std::string_view section) const;

    // A new key goes at the end of its section; a new section at the end of the file.
    void WriteString(std::string_view section, std::string_view cle, std::string_view valeur);
    void WriteInteger(std::string_view section, std::string_view cle, int valeur);
    void WriteBool(std::string_view section, std::string_view cle, bool valeur);
    void EraseSection(std::string_view section);
    void DeleteKey(std::string_view section, std::string_view cle);
    void Clear();

    // Writes the file atomically. False, with the reason in `erreur`, when it failed; the
    // previous file is then left as it was.
    bool UpdateFile(std::string* erreur = nullptr) const;

private:
    struct Entree {
        std::string Cle;
        std::string Valeur;
    };
    struct Section {
        std::string Nom;
        std::vector<Entree> Entrees;
    };
    const Section* TrouveSection(std::string_view nom) const;
    Section& SectionPourEcrire(std::string_view nom);

    std::filesystem::path chemin_;
    std::vector<Section> sections_;
    bool lu_ = false;
};

// Writes `contenu` to `chemin` through a temporary file in the same folder, flushed and
// renamed over the target. False, with the reason in `erreur`, when it failed.
bool EcritFichierTexteAtomique(const std::filesystem::path& chemin, std::string_view contenu,
                               std::string* erreur = nullptr);

} // namespace orlavine
