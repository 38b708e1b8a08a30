// The online search of `orlavine-cli base geolocaliser --en-ligne`, in a program built with
// Qt Network: the service named in the user's settings (as the windows read it), requests
// sent through Qt, and the one-a-second turns shared with the windows.
#pragma once

#include "app/cli/base.h"

namespace orlavine::cli {

TEnLigneCli EnLigneQt();

} // namespace orlavine::cli
