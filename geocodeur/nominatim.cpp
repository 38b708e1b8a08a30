#include "geocodeur/nominatim.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

namespace orlavine::geocodeur {

namespace {

using json = nlohmann::json;

[[noreturn]] void Refuse(std::string_view source, const std::string& detail) {
    throw ErreurNominatim(std::string(source), 0, detail);
}

std::string Serveur(std::string_view serveur) {
    std::string s(serveur);
    while (!s.empty() && (s.back() == '/' || s.back() == ' '))
        s.pop_back();
    while (!s.empty() && s.front() == ' ')
        s.erase(s.begin());
    const auto commence = [&](std::string_view p) {
        return s.rfind(p, 0) == 0 && s.size() > p.size();
    };
    if (!commence("http://") && !commence("https://"))
        Refuse(s,
               "adresse du service de géocodage en ligne invalide (http:// ou https:// attendu)");
    return s;
}

std::string Degres(double valeur) {
    char tampon[32];
    const auto r =
        std::to_chars(tampon, tampon + sizeof tampon, valeur, std::chars_format::fixed, 7);
    return std::string(tampon, r.ptr);
}

// A coordinate of the answer: a string as the service writes it, a number accepted too.
double Coordonnee(const json& lieu, const char* cle, double limite, std::string_view source) {
    const auto i = lieu.find(cle);
    if (i == lieu.end()) Refuse(source, std::string("réponse sans « ") + cle + " »");
    double v = NAN;
    if (i->is_string()) {
        const std::string& t = i->get_ref<const std::string&>();
        const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
        if (r.ec != std::errc() || r.ptr != t.data() + t.size()) v = NAN;
    } else if (i->is_number()) {
        v = i->get<double>();
    }
    if (!std::isfinite(v) || std::abs(v) > limite)
        Refuse(source, std::string("« ") + cle + " » invalide dans la réponse : " + i->dump());
    return v;
}

TLieuNominatim Lieu(const json& lieu, std::string_view source) {
    if (!lieu.is_object()) Refuse(source, "réponse illisible : lieu attendu, " + lieu.dump());
    TLieuNominatim l;
    l.Latitude = Coordonnee(lieu, "lat", 90.0, source);
    l.Longitude = Coordonnee(lieu, "lon", 180.0, source);
    if (const auto i = lieu.find("display_name"); i != lieu.end() && i->is_string())
        l.Libelle = i->get<std::string>();
    return l;
}

json Lit(std::string_view texte, std::string_view source) {
    json j = json::parse(texte.begin(), texte.end(), nullptr, false);
    if (j.is_discarded())
        Refuse(source, "réponse illisible du service de géocodage (JSON attendu)");
    return j;
}

// The service's own error: {"error": "..."} or {"error": {"code": 400, "message": "..."}}.
std::optional<std::string> MessageService(const json& j) {
    if (!j.is_object()) return std::nullopt;
    const auto e = j.find("error");
    if (e == j.end()) return std::nullopt;
    if (e->is_string()) return e->get<std::string>();
    if (e->is_object())
        if (const auto m = e->find("message"); m != e->end() && m->is_string())
            return m->get<std::string>();
    return e->dump();
}

} // namespace

std::string EncodePourcent(std::string_view texte) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string r;
    r.reserve(texte.size() * 3);
    for (const char c : texte) {
        const auto o = static_cast<unsigned char>(c);
        if ((o >= 'A' && o <= 'Z') || (o >= 'a' && o <= 'z') || (o >= '0' && o <= '9') ||
            o == '-' || o == '.' || o == '_' || o == '~') {
            r += c;
        } else {
            r += '%';
            r += Hex[o >> 4];
            r += Hex[o & 0xF];
        }
    }
    return r;
}

std::string RequeteRecherche(std::string_view serveur, std::string_view texte, int limite) {
    const std::string s = Serveur(serveur);
    if (texte.find_first_not_of(" \t\r\n") == std::string_view::npos)
        Refuse(s, "recherche d'adresse sans texte");
    if (limite < 1 || limite > 50) Refuse(s, "nombre de réponses demandées hors de 1 à 50");
    return s + "/search?q=" + EncodePourcent(texte) +
           "&format=jsonv2&limit=" + std::to_string(limite) + "&accept-language=fr";
}

std::string RequeteInverse(std::string_view serveur, double latitude, double longitude) {
    const std::string s = Serveur(serveur);
    if (!(std::abs(latitude) <= 90.0) || !(std::abs(longitude) <= 180.0))
        Refuse(s, "coordonnées hors limites pour la recherche de lieu");
    return s + "/reverse?lat=" + Degres(latitude) + "&lon=" + Degres(longitude) +
           "&format=jsonv2&accept-language=fr";
}

std::vector<TLieuNominatim> LitReponseRecherche(std::string_view texte, std::string_view source) {
    const json j = Lit(texte, source);
    if (const auto m = MessageService(j)) Refuse(source, "le service de géocodage répond : " + *m);
    if (!j.is_array()) Refuse(source, "réponse illisible : liste de lieux attendue");
    std::vector<TLieuNominatim> lieux;
    lieux.reserve(j.size());
    for (const json& l : j)
        lieux.push_back(Lieu(l, source));
    return lieux;
}

std::optional<TLieuNominatim> LitReponseInverse(std::string_view texte, std::string_view source) {
    const json j = Lit(texte, source);
    if (const auto m = MessageService(j)) {
        // Nothing at that point (the sea, a desert).
        if (*m == "Unable to geocode") return std::nullopt;
        Refuse(source, "le service de géocodage répond : " + *m);
    }
    return Lieu(j, source);
}

} // namespace orlavine::geocodeur
