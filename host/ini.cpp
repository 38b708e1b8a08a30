#include "host/ini.h"

#include "host/chaines.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace orlavine {

namespace {

bool MemeNom(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        const auto la = (ca >= 'A' && ca <= 'Z') ? ca + 32 : ca;
        const auto lb = (cb >= 'A' && cb <= 'Z') ? cb + 32 : cb;
        if (la != lb) return false;
    }
    return true;
}

bool LitEntier(std::string_view texte, int& valeur) {
    texte = SansBlancs(texte);
    if (texte.empty()) return false;
    if (EstEntier(texte)) {
        long long v = 0;
        const char* debut = texte.data();
        if (*debut == '+') ++debut;
        const auto r = std::from_chars(debut, texte.data() + texte.size(), v);
        if (r.ec != std::errc() || r.ptr != texte.data() + texte.size()) return false;
        valeur = static_cast<int>(v);
        return true;
    }
    std::string_view hexa;
    if (texte.size() > 1 && texte.front() == '$')
        hexa = texte.substr(1);
    else if (texte.size() > 2 && texte[0] == '0' && (texte[1] == 'x' || texte[1] == 'X'))
        hexa = texte.substr(2);
    else
        return false;
    if (hexa.empty() || hexa.size() > 8) return false;
    unsigned int v = 0;
    const auto r = std::from_chars(hexa.data(), hexa.data() + hexa.size(), v, 16);
    if (r.ec != std::errc() || r.ptr != hexa.data() + hexa.size()) return false;
    valeur = static_cast<int>(v);
    return true;
}

} // namespace

TIniFile::TIniFile(std::filesystem::path chemin) : chemin_(std::move(chemin)) {
    std::ifstream f(chemin_, std::ios::binary);
    if (!f) return;
    std::ostringstream tout;
    tout << f.rdbuf();
    if (f.bad()) return;
    Analyse(tout.str());
    lu_ = true;
}

void TIniFile::Analyse(std::string_view texte) {
    sections_.clear();
    Section* courante = nullptr;
    while (!texte.empty()) {
        const std::size_t fin = texte.find('\n');
        std::string_view ligne = texte.substr(0, fin);
        texte = fin == std::string_view::npos ? std::string_view() : texte.substr(fin + 1);
        ligne = SansBlancs(ligne);
        if (ligne.empty() || ligne.front() == ';' || ligne.front() == '#') continue;
        if (ligne.front() == '[') {
            const std::size_t ferme = ligne.find(']');
            const std::string_view nom = SansBlancs(
                ligne.substr(1, ferme == std::string_view::npos ? ligne.size() - 1 : ferme - 1));
            courante = &SectionPourEcrire(nom);
            continue;
        }
        if (courante == nullptr) continue; // keys before any section belong to none
        const std::size_t egal = ligne.find('=');
        if (egal == std::string_view::npos) continue;
        const std::string_view cle = SansBlancs(ligne.substr(0, egal));
        if (cle.empty()) continue;
        const std::string_view valeur = SansBlancs(ligne.substr(egal + 1));
        auto it = std::find_if(courante->Entrees.begin(), courante->Entrees.end(),
                               [&](const Entree& e) { return MemeNom(e.Cle, cle); });
        if (it == courante->Entrees.end())
            courante->Entrees.push_back(Entree{std::string(cle), std::string(valeur)});
        // A repeated key keeps its first value, as the platform reads it.
    }
}

std::string TIniFile::Texte() const {
    std::string texte;
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        if (i > 0) texte += '\n';
        texte += '[';
        texte += sections_[i].Nom;
        texte += "]\n";
        for (const Entree& e : sections_[i].Entrees) {
            texte += e.Cle;
            texte += '=';
            texte += e.Valeur;
            texte += '\n';
        }
    }
    return texte;
}

const TIniFile::Section* TIniFile::TrouveSection(std::string_view nom) const {
    for (const Section& s : sections_)
        if (MemeNom(s.Nom, nom)) return &s;
    return nullptr;
}

TIniFile::Section& TIniFile::SectionPourEcrire(std::string_view nom) {
    for (Section& s : sections_)
        if (MemeNom(s.Nom, nom)) return s;
    sections_.push_back(Section{std::string(nom), {}});
    return sections_.back();
}

bool TIniFile::SectionExists(std::string_view section) const {
    return TrouveSection(section) != nullptr;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view cle) const {
    const Section* s = TrouveSection(section);
    if (s == nullptr) return false;
    return std::any_of(s->Entrees.begin(), s->Entrees.end(),
                       [&](const Entree& e) { return MemeNom(e.Cle, cle); });
}

std::string TIniFile::ReadString(std::string_view section, std::string_view cle,
                                 std::string_view defaut) const {
    if (const Section* s = TrouveSection(section))
        for (const Entree& e : s->Entrees)
            if (MemeNom(e.Cle, cle)) return e.Valeur;
    return std::string(defaut);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view cle, int defaut) const {
    if (!ValueExists(section, cle)) return defaut;
    int valeur = 0;
    return LitEntier(ReadString(section, cle, ""), valeur) ? valeur : defaut;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view cle, bool defaut) const {
    return ReadInteger(section, cle, defaut ? 1 : 0) != 0;
}

std::vector<std::string> TIniFile::ReadSection(std::string_view section) const {
    std::vector<std::string> cles;
    if (const Section* s = TrouveSection(section))
        for (const Entree& e : s->Entrees)
            cles.push_back(e.Cle);
    return cles;
}

void TIniFile::WriteString(std::string_view section, std::string_view cle,
                           std::string_view valeur) {
    // Line breaks would split the entry: they are kept out of keys and values.
    auto nettoie = [](std::string_view t) {
        std::string r(t);
        std::replace(r.begin(), r.end(), '\n', ' ');
        std::replace(r.begin(), r.end(), '\r', ' ');
        return std::string(SansBlancs(r));
    };
    Section& s = SectionPourEcrire(section);
    const std::string c = nettoie(cle);
    for (Entree& e : s.Entrees)
        if (MemeNom(e.Cle, c)) {
            e.Valeur = nettoie(valeur);
            return;
        }
    s.Entrees.push_back(Entree{c, nettoie(valeur)});
}

void TIniFile::WriteInteger(std::string_view section, std::string_view cle, int valeur) {
    WriteString(section, cle, std::to_string(valeur));
}

void TIniFile::WriteBool(std::string_view section, std::string_view cle, bool valeur) {
    WriteString(section, cle, valeur ? "1" : "0");
}

void TIniFile::EraseSection(std::string_view section) {
    std::erase_if(sections_, [&](const Section& s) { return MemeNom(s.Nom, section); });
}

void TIniFile::DeleteKey(std::string_view section, std::string_view cle) {
    for (Section& s : sections_)
        if (MemeNom(s.Nom, section))
            std::erase_if(s.Entrees, [&](const Entree& e) { return MemeNom(e.Cle, cle); });
}

void TIniFile::Clear() {
    sections_.clear();
}

bool TIniFile::UpdateFile(std::string* erreur) const {
    if (chemin_.empty()) {
        if (erreur) *erreur = "aucun fichier";
        return false;
    }
    return EcritFichierTexteAtomique(chemin_, Texte(), erreur);
}

bool EcritFichierTexteAtomique(const std::filesystem::path& chemin, std::string_view contenu,
                               std::string* erreur) {
    auto echec = [&](const std::string& raison) {
        if (erreur) *erreur = raison;
        return false;
    };
    std::error_code ec;
    const std::filesystem::path dossier = chemin.parent_path();
    if (!dossier.empty()) std::filesystem::create_directories(dossier, ec);

    std::filesystem::path temporaire = chemin;
    temporaire += ".tmp-XXXXXX";
    std::string modele = temporaire.string();
    const int fd = ::mkstemp(modele.data());
    if (fd < 0) return echec(chemin.string() + " : " + std::strerror(errno));
    const std::filesystem::path cheminTemp = modele;

    const char* p = contenu.data();
    std::size_t reste = contenu.size();
    while (reste > 0) {
        const ssize_t n = ::write(fd, p, reste);
        if (n < 0) {
            if (errno == EINTR) continue;
            const std::string raison = std::strerror(errno);
            ::close(fd);
            std::filesystem::remove(cheminTemp, ec);
            return echec(chemin.string() + " : " + raison);
        }
        p += n;
        reste -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        const std::string raison = std::strerror(errno);
        std::filesystem::remove(cheminTemp, ec);
        return echec(chemin.string() + " : " + raison);
    }
    // mkstemp creates the file for its owner only; an ini file is an ordinary file.
    ::chmod(modele.c_str(), 0644);
    std::filesystem::rename(cheminTemp, chemin, ec);
    if (ec) {
        const std::string raison = ec.message();
        std::filesystem::remove(cheminTemp, ec);
        return echec(chemin.string() + " : " + raison);
    }
    return true;
}

} // namespace orlavine
