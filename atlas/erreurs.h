#pragma once

#include "host/erreur.h"

#include <string>

namespace orlavine {

// A data file of the atlas is missing or damaged. The message is French, UTF-8, and names
// the file (and the record when there is one); it is meant to be shown to the user as is.
class ErreurAtlas : public Erreur {
public:
    explicit ErreurAtlas(const std::string& message) : Erreur(message) {}
};

} // namespace orlavine
