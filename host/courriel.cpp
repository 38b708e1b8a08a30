#include "host/courriel.h"

#include "host/ini.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <functional>
#include <random>
#include <spawn.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace orlavine {

namespace {

// The text of a header: plain when it is printable ASCII, else an RFC 2047 UTF-8 word.
std::string EnTete(const AnsiString& texte) {
    const std::string utf8 = Cp1252VersUtf8(texte);
    bool ascii = true;
    for (unsigned char c : utf8)
        if (c < 0x20 || c > 0x7E) ascii = false;
    if (ascii) return utf8;
    return "=?UTF-8?B?" + EncodeBase64(utf8) + "?=";
}

std::string Base64Lignes(std::string_view octets) {
    const std::string b = EncodeBase64(octets);
    std::string r;
    for (std::size_t i = 0; i < b.size(); i += 76) {
        r += b.substr(i, 76);
        r += "\r\n";
    }
    return r;
}

std::string DateRfc2822() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::gmtime_r(&t, &tm);
    char tampon[64];
    std::strftime(tampon, sizeof tampon, "%a, %d %b %Y %H:%M:%S +0000", &tm);
    return tampon;
}

// Starts the program without a shell and does not wait for the mail client.
bool Lance(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
    // Reap the child once it ends, without blocking the caller.
    std::thread([pid] {
        int etat = 0;
        while (::waitpid(pid, &etat, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

} // namespace

std::string EncodeBase64(std::string_view octets) {
    static constexpr char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string r;
    r.reserve((octets.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 2 < octets.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(octets[i]) << 16) |
                           (static_cast<unsigned char>(octets[i + 1]) << 8) |
                           static_cast<unsigned char>(octets[i + 2]);
        r += alphabet[(v >> 18) & 63];
        r += alphabet[(v >> 12) & 63];
        r += alphabet[(v >> 6) & 63];
        r += alphabet[v & 63];
    }
    const std::size_t reste = octets.size() - i;
    if (reste > 0) {
        unsigned v = static_cast<unsigned char>(octets[i]) << 16;
        if (reste == 2) v |= static_cast<unsigned char>(octets[i + 1]) << 8;
        r += alphabet[(v >> 18) & 63];
        r += alphabet[(v >> 12) & 63];
        r += reste == 2 ? alphabet[(v >> 6) & 63] : '=';
        r += '=';
    }
    return r;
}

bool ComposeMessage(const AnsiString& destinataire, const AnsiString& sujet,
                    const AnsiString& corps, const AnsiString& pieceJointe, std::string& message,
                    std::string* erreur) {
    std::string contenuJoint;
    if (!pieceJointe.empty()) {
        std::ifstream f(std::filesystem::path(Cp1252VersUtf8(pieceJointe)), std::ios::binary);
        std::ostringstream tout;
        if (f) tout << f.rdbuf();
        if (!f || f.bad()) {
            if (erreur)
                *erreur =
                    "Impossible de lire la pièce jointe « " + Cp1252VersUtf8(pieceJointe) + " ».";
            return false;
        }
        contenuJoint = tout.str();
    }
    std::string corpsUtf8 = Cp1252VersUtf8(corps);
    std::string m;
    m += "To: " + EnTete(destinataire) + "\r\n";
    m += "Subject: " + EnTete(sujet) + "\r\n";
    m += "Date: " + DateRfc2822() + "\r\n";
    m += "X-Unsent: 1\r\n";
    m += "MIME-Version: 1.0\r\n";
    const std::string frontiere =
        "=_orlavine_" + std::to_string(std::hash<std::string>{}(contenuJoint + corpsUtf8 + sujet));
    if (pieceJointe.empty()) {
        m += "Content-Type: text/plain; charset=UTF-8\r\n";
        m += "Content-Transfer-Encoding: base64\r\n\r\n";
        m += Base64Lignes(corpsUtf8);
    } else {
        const std::string nom =
            std::filesystem::path(Cp1252VersUtf8(pieceJointe)).filename().string();
        m += "Content-Type: multipart/mixed; boundary=\"" + frontiere + "\"\r\n\r\n";
        m += "--" + frontiere + "\r\n";
        m += "Content-Type: text/plain; charset=UTF-8\r\n";
        m += "Content-Transfer-Encoding: base64\r\n\r\n";
        m += Base64Lignes(corpsUtf8);
        m += "--" + frontiere + "\r\n";
        const bool bmp = nom.size() > 4 && (nom.ends_with(".bmp") || nom.ends_with(".BMP"));
        m += std::string("Content-Type: ") + (bmp ? "image/bmp" : "application/octet-stream") +
             "; name=\"" + nom + "\"\r\n";
        m += "Content-Transfer-Encoding: base64\r\n";
        m += "Content-Disposition: attachment; filename=\"" + nom + "\"\r\n\r\n";
        m += Base64Lignes(contenuJoint);
        m += "--" + frontiere + "--\r\n";
    }
    message = std::move(m);
    return true;
}

std::filesystem::path DossierAppData() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg != nullptr && xdg[0] == '/') return std::filesystem::path(xdg) / "Orlavine";
    const char* home = std::getenv("HOME");
    std::filesystem::path base = (home != nullptr && home[0] != '\0')
                                     ? std::filesystem::path(home)
                                     : std::filesystem::temp_directory_path();
    return base / ".local" / "share" / "Orlavine";
}

std::filesystem::path TrouveDansPath(std::string_view programme) {
    const char* path = std::getenv("PATH");
    if (path == nullptr || programme.empty()) return {};
    std::string_view reste = path;
    while (true) {
        const std::size_t sep = reste.find(':');
        const std::string_view dossier = reste.substr(0, sep);
        if (!dossier.empty()) {
            const std::filesystem::path candidat =
                std::filesystem::path(dossier) / std::string(programme);
            struct stat st {};
            if (::stat(candidat.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                ::access(candidat.c_str(), X_OK) == 0)
                return candidat;
        }
        if (sep == std::string_view::npos) break;
        reste.remove_prefix(sep + 1);
    }
    return {};
}

std::filesystem::path GetTempFileNameA(std::string_view prefixe) {
    std::error_code ec;
    std::filesystem::path dossier = std::filesystem::temp_directory_path(ec);
    if (ec) dossier = "/tmp";
    std::string modele = (dossier / (std::string(prefixe) + "XXXXXX.tmp")).string();
    const int fd = ::mkstemps(modele.data(), 4);
    if (fd < 0) return {};
    ::close(fd);
    return modele;
}

TResultatCourriel EnvMailWAttach(const AnsiString& destinataire, const AnsiString& sujet,
                                 const AnsiString& corps, const AnsiString& pieceJointe) {
    TResultatCourriel resultat;
    const std::filesystem::path xdgEmail = TrouveDansPath("xdg-email");
    if (!xdgEmail.empty()) {
        std::vector<std::string> arguments{xdgEmail.string(), "--utf8", "--subject",
                                           Cp1252VersUtf8(sujet)};
        if (!corps.empty()) {
            arguments.push_back("--body");
            arguments.push_back(Cp1252VersUtf8(corps));
        }
        if (!pieceJointe.empty()) {
            arguments.push_back("--attach");
            arguments.push_back(Cp1252VersUtf8(pieceJointe));
        }
        if (!destinataire.empty()) arguments.push_back(Cp1252VersUtf8(destinataire));
        if (Lance(arguments)) {
            resultat.Reussi = true;
            resultat.ClientOuvert = true;
            return resultat;
        }
    }

    // No mail client: the message is kept as a file the user can open or send later.
    std::string message;
    if (!ComposeMessage(destinataire, sujet, corps, pieceJointe, message, &resultat.Erreur))
        return resultat;
    const std::filesystem::path dossier = DossierAppData();
    char horodatage[32];
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    std::strftime(horodatage, sizeof horodatage, "%Y%m%d-%H%M%S", &tm);
    std::filesystem::path chemin = dossier / ("courriel-" + std::string(horodatage) + ".eml");
    for (int n = 2; std::filesystem::exists(chemin) && n < 1000; ++n)
        chemin =
            dossier / ("courriel-" + std::string(horodatage) + "-" + std::to_string(n) + ".eml");
    std::string erreur;
    if (!EcritFichierTexteAtomique(chemin, message, &erreur)) {
        resultat.Erreur = "Impossible d'enregistrer le message : " + erreur;
        return resultat;
    }
    resultat.Reussi = true;
    resultat.Message = chemin;
    return resultat;
}

} // namespace orlavine
