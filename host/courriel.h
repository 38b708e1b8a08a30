// Mail and temporary files for the exports.
//
// EnvMailWAttach prepares an e-mail for the user: with `xdg-email` on the PATH the user's
// mail client opens with the message; otherwise the message (MIME, attachment in base64)
// is saved as a ".eml" file in the application-data folder, for the user to open.
#pragma once

#include "host/chaines.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace orlavine {

struct TResultatCourriel {
    bool Reussi = false;           // handed to the mail client, or saved as a message
    bool ClientOuvert = false;     // the mail client was started
    std::filesystem::path Message; // the ".eml" file written when no client was found
    std::string Erreur;            // French, UTF-8, when Reussi is false
};

// Texts are Windows-1252. The attachment may be empty (no attachment).
TResultatCourriel EnvMailWAttach(const AnsiString& destinataire, const AnsiString& sujet,
                                 const AnsiString& corps, const AnsiString& pieceJointe);

// The full path of a new, empty, temporary file "<prefix>XXXXXX.tmp" in the system's
// temporary folder (TMPDIR, else /tmp); empty when none could be created.
std::filesystem::path GetTempFileNameA(std::string_view prefixe);

// The application-data folder: $XDG_DATA_HOME/Orlavine, else ~/.local/share/Orlavine.
std::filesystem::path DossierAppData();

// The full path of `programme` when it is an executable file of a PATH folder; else empty.
std::filesystem::path TrouveDansPath(std::string_view programme);

// ---- Building blocks of the saved message ----
std::string EncodeBase64(std::string_view octets);
// An RFC 2822 message with the attachment, if any, read from its file. Texts in
// Windows-1252, sent as UTF-8. False when the attachment cannot be read.
bool ComposeMessage(const AnsiString& destinataire, const AnsiString& sujet,
                    const AnsiString& corps, const AnsiString& pieceJointe, std::string& message,
                    std::string* erreur = nullptr);

} // namespace orlavine
