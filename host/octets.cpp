#include "host/octets.h"

namespace orlavine {

void LecteurOctets::Endommage(const std::string& detail) const {
    Leve(detail);
    throw ErreurOctets("\"" + fichier_ + "\", octet " + std::to_string(position_) + " : " + detail +
                       ".");
}

void LecteurOctets::Leve(const std::string&) const {}

std::string LecteurOctets::DetailDepassement(std::size_t) const {
    return "fin de fichier inattendue";
}

} // namespace orlavine
