#pragma once

#include "host/erreur.h"

namespace orlavine {

// A GEDCOM file or a genealogy base is unreadable, damaged or cannot be written.
class ErreurGenealogie : public Erreur {
public:
    using Erreur::Erreur;
};

} // namespace orlavine
