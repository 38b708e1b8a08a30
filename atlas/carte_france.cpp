#include "atlas/carte_france.h"

#include "atlas/erreurs.h"
#include "atlas/fichiers.h"
#include "atlas/saisie.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace orlavine {

namespace {

// Closes the wait window whatever happens while the atlas loads.
class FermetureAttente {
public:
    explicit FermetureAttente(IProgression* attente) : attente_(attente) {}
    ~FermetureAttente() {
        if (attente_) {
            attente_->Fermer();
            attente_->TraiterMessages();
        }
    }
    FermetureAttente(const FermetureAttente&) = delete;
    FermetureAttente& operator=(const FermetureAttente&) = delete;

private:
    IProgression* attente_;
};

// Particles of compound names, lowered on the map labels, in this order.
constexpr std::pair<const char*, const char*> Particules[] = {
    {"-Au-", "-au-"},     {"-Aux-", "-aux-"}, {"-En-", "-en-"}, {"-Et-", "-et-"},
    {"-Sous-", "-sous-"}, {"-Sur-", "-sur-"}, {"-La-", "-la-"}, {"-Le-", "-le-"},
    {"-Lez-", "-lez-"},   {"-Les-", "-les-"}, {"-De-", "-de-"}, {" De ", " de "},
    {"-Des-", "-des-"},   {"-Du-", "-du-"},
};

const TPreferencesCarte PreferencesParDefaut{};

} // namespace

TCarteFrance::TCarteFrance(const std::filesystem::path& dossier, IProgression* attente) {
    if (attente) {
        attente->FixePosition(0);
        attente->Montrer();
        attente->TraiterMessages();
    }
    FermetureAttente fermeture(attente);
    ChargeContours(Departements, dossier);
    ChargeCommunes(Communes, dossier, attente);
    ChargeNomsDepartements(NomsDepartements, dossier, attente);
    ChargeCommunesLiees(CommunesLiees, dossier, Communes.size());
    ChargeCodesPostaux(AutresCodesPostaux, dossier, Communes.size());
    ChargeNomsOfficiels(NomsOfficiels, dossier, Communes.size());
    AfficherDepartements = true;
    AfficherVoisines = false;
    PhaseClignotement = 0;
    AfficherDisque = true;
    VerifieOrdreNoms();
}

TCarteFrance::TCarteFrance(std::vector<TDepartement> departements, std::vector<TCommune> communes,
                           std::vector<AnsiString> nomsDepartements,
                           std::vector<TCommuneLiee> communesLiees,
                           std::vector<TAutreCodePostal> autresCodesPostaux,
                           std::vector<TNomOfficiel> nomsOfficiels)
    : Departements(std::move(departements)), NomsDepartements(std::move(nomsDepartements)),
      Communes(std::move(communes)) {
    // Checked like the file: a list that does not fit this table is refused.
    EcritCommunesLiees(communesLiees, Communes.size());
    CommunesLiees = std::move(communesLiees);
    EcritCodesPostaux(autresCodesPostaux, Communes.size());
    AutresCodesPostaux = std::move(autresCodesPostaux);
    EcritNomsOfficiels(nomsOfficiels, Communes.size());
    NomsOfficiels = std::move(nomsOfficiels);
    VerifieOrdreNoms();
}

TCarteFrance::~TCarteFrance() {
    // Released in the reverse order of their use: working lists first, loaded data last.
    CommunesVoisines.clear();
    TexteInfo.clear();
    CommunesAffichees.clear();
    NomsOfficiels.clear();
    AutresCodesPostaux.clear();
    CommunesLiees.clear();
    Communes.clear();
    NomsDepartements.clear();
    Departements.clear();
}

void TCarteFrance::VerifieOrdreNoms() {
    nomsTries_ = std::is_sorted(Communes.begin(), Communes.end(),
                                [](const TCommune& a, const TCommune& b) { return a.Nom < b.Nom; });
}

const TPreferencesCarte& TCarteFrance::PreferencesActives() const {
    return Preferences ? *Preferences : PreferencesParDefaut;
}

// ---- Names ----------------------------------------------------------------------------

AnsiString TCarteFrance::NomComplet(const TCommune& commune) {
    if (commune.Article.empty()) return commune.Nom;
    return commune.Article + " " + commune.Nom;
}

AnsiString TCarteFrance::NomCompletIndex(int indexCommune) const {
    if (indexCommune < 0 || static_cast<std::size_t>(indexCommune) >= Communes.size()) return "";
    return NomComplet(Communes[static_cast<std::size_t>(indexCommune)]);
}

AnsiString NomPropre(const AnsiString& texte) {
    AnsiString libelle = LowerChaineAS(texte, MinusculesNomPropre);
    for (const auto& [motif, remplacement] : Particules)
        libelle = RemplaceString(libelle, motif, remplacement);
    return libelle;
}

AnsiString TCarteFrance::NomOfficiel(int indexCommune) const {
    if (indexCommune < 0 || static_cast<std::size_t>(indexCommune) >= Communes.size()) return "";
    const auto index = static_cast<std::uint16_t>(indexCommune);
    const auto it =
        std::lower_bound(NomsOfficiels.begin(), NomsOfficiels.end(), index,
                         [](const TNomOfficiel& n, std::uint16_t i) { return n.Index < i; });
    if (it != NomsOfficiels.end() && it->Index == index) return it->Nom;
    // Only "Le" and "La" are stored apart: "LES-LOGES-EN-JOSAS" is "Les Loges-en-Josas".
    AnsiString nom = NomPropre(NomCompletIndex(indexCommune));
    if (nom.rfind("Les-", 0) == 0) nom[3] = ' ';
    return nom;
}

int TCarteFrance::CommuneProche(double latitude, double longitude, double rayonKm) const {
    if (!std::isfinite(latitude) || !std::isfinite(longitude)) return -1;
    int meilleure = -1;
    double meilleureKm = rayonKm;
    const double cosLatitude = std::cos(Radians(latitude));
    for (std::size_t i = 0; i < Communes.size(); ++i) {
        const TCommune& c = Communes[i];
        // Equirectangular distance: exact enough within a few tens of kilometres.
        const double dx = (c.Longitude - longitude) * cosLatitude * 111.195;
        const double dy = (c.Latitude - latitude) * 111.195;
        const double km = std::hypot(dx, dy);
        if (km <= meilleureKm) {
            meilleureKm = km;
            meilleure = static_cast<int>(i);
        }
    }
    return meilleure;
}

AnsiString TCarteFrance::NomDepartement(const AnsiString& codeInsee) const {
    if (codeInsee.size() < 2) return "";
    std::string numero = codeInsee.substr(0, 2);
    if (numero == "2A" || numero == "2B") numero = "20";
    int n = 0;
    const auto [fin, err] = std::from_chars(numero.data(), numero.data() + numero.size(), n);
    if (err != std::errc() || fin != numero.data() + numero.size()) return "";
    if (n < 1 || static_cast<std::size_t>(n) > NomsDepartements.size()) return "";
    // The particles are lowered as on the map labels: "Hauts-de-Seine", not "Hauts-De-Seine".
    return NomPropre(NomsDepartements[static_cast<std::size_t>(n - 1)]);
}

// ---- Current, delegated, associated and former communes -------------------------------

namespace {

const TCommuneLiee* Liee(const std::vector<TCommuneLiee>& liees, int index) {
    if (index < 0 || index > 0xFFFF) return nullptr;
    const auto it =
        std::lower_bound(liees.begin(), liees.end(), static_cast<std::uint16_t>(index),
                         [](const TCommuneLiee& l, std::uint16_t i) { return l.Index < i; });
    return it != liees.end() && it->Index == index ? &*it : nullptr;
}

} // namespace

TNatureCommune TCarteFrance::NatureCommune(int indexCommune) const {
    const TCommuneLiee* l = Liee(CommunesLiees, indexCommune);
    return l ? l->Nature : TNatureCommune::Actuelle;
}

int TCarteFrance::CommuneDeRattachement(int indexCommune) const {
    const TCommuneLiee* l = Liee(CommunesLiees, indexCommune);
    return l ? l->Parent : -1;
}

namespace {

// "de" or "\xE0" joined to a commune's name as French writes it: "d'Audierne", "du Mans",
// "des Sables", "au Mans", "aux Sables", "de La Baule". `nom` is Windows-1252, as on the map.
AnsiString Contracte(bool de, const AnsiString& nom) {
    if (nom.rfind("Le ", 0) == 0) return (de ? "du " : "au ") + nom.substr(3);
    if (nom.rfind("Les ", 0) == 0) return (de ? "des " : "aux ") + nom.substr(4);
    const AnsiString voyelles = "AEIOUY\xC2\xC8\xC9\xCA\xCE\xD4";
    if (de && !nom.empty() && voyelles.find(nom[0]) != AnsiString::npos) return "d'" + nom;
    return (de ? "de " : "\xE0 ") + nom;
}

} // namespace

AnsiString TCarteFrance::QualificatifCommune(int indexCommune) const {
    const TCommuneLiee* l = Liee(CommunesLiees, indexCommune);
    if (!l) return {};
    const AnsiString parent = NomOfficiel(l->Parent);
    switch (l->Nature) {
    case TNatureCommune::Deleguee:
        return "commune d\xE9l\xE9gu\xE9"
               "e " +
               Contracte(true, parent);
    case TNatureCommune::Associee:
        return "commune associ\xE9"
               "e " +
               Contracte(false, parent);
    case TNatureCommune::Ancienne:
        return "ancienne commune, rattach\xE9"
               "e " +
               Contracte(false, parent);
    case TNatureCommune::Actuelle:
        break;
    }
    return {};
}

// ---- Postal codes ---------------------------------------------------------------------

std::span<const TAutreCodePostal> TCarteFrance::AutresCodesPostauxDe(int indexCommune) const {
    if (indexCommune < 0 || static_cast<std::size_t>(indexCommune) >= Communes.size()) return {};
    const auto index = static_cast<std::uint16_t>(indexCommune);
    const auto [debut, fin] = std::equal_range(
        AutresCodesPostaux.begin(), AutresCodesPostaux.end(), TAutreCodePostal{index, {}},
        [](const TAutreCodePostal& a, const TAutreCodePostal& b) { return a.Index < b.Index; });
    return {debut, fin};
}

bool TCarteFrance::ACodePostal(int indexCommune, std::string_view code) const {
    if (code.empty() || indexCommune < 0 ||
        static_cast<std::size_t>(indexCommune) >= Communes.size())
        return false;
    if (Communes[static_cast<std::size_t>(indexCommune)].CodePostal == code) return true;
    const auto autres = AutresCodesPostauxDe(indexCommune);
    return std::any_of(autres.begin(), autres.end(),
                       [&](const TAutreCodePostal& a) { return a.Code == code; });
}

std::vector<AnsiString> TCarteFrance::CodesPostaux(int indexCommune) const {
    std::vector<AnsiString> codes;
    if (indexCommune < 0 || static_cast<std::size_t>(indexCommune) >= Communes.size()) return codes;
    if (const AnsiString& propre = Communes[static_cast<std::size_t>(indexCommune)].CodePostal;
        !propre.empty())
        codes.push_back(propre);
    for (const TAutreCodePostal& a : AutresCodesPostauxDe(indexCommune))
        codes.push_back(a.Code);
    return codes;
}

void TCarteFrance::CommuneActuelleEnTete(std::vector<std::uint16_t>& resultats,
                                         const AnsiString& texte, int mode) const {
    if (mode != SaisieCode || CommunesLiees.empty()) return;
    const auto actuelle = std::find_if(resultats.begin(), resultats.end(), [&](std::uint16_t i) {
        return i < Communes.size() && Communes[i].CodeInsee == texte &&
               NatureCommune(i) == TNatureCommune::Actuelle;
    });
    if (actuelle != resultats.end()) std::rotate(resultats.begin(), actuelle, actuelle + 1);
}

// ---- Search ---------------------------------------------------------------------------

namespace {

struct CritereRecherche {
    AnsiString texte;
    bool etoile = false;      // leading star: anywhere in the field
    bool espaceFinal = false; // with the star: at the end of the field
    bool corse = false;       // code search beginning with "20"
    bool code = false;
};

// Prepares the typed text; false when it is too short to search.
bool PrepareCritere(AnsiString texte, int mode, CritereRecherche& critere) {
    critere.espaceFinal = !texte.empty() && texte.back() == ' ';
    if (critere.espaceFinal) texte = OteBlancsFin(texte);
    texte = OteCharFin(texte, '*');
    critere.etoile = !texte.empty() && texte.front() == '*';
    if (texte.empty() || texte == "*" || texte.size() < 2 || (critere.etoile && texte.size() < 3))
        return false;
    critere.code = (mode == SaisieCode);
    critere.corse = critere.code && texte.compare(0, 2, "20") == 0;
    if (critere.etoile) texte.erase(0, 1);
    critere.texte = std::move(texte);
    return true;
}

bool Correspond(const CritereRecherche& critere, const TCommune& commune) {
    const AnsiString& champ = critere.code ? commune.CodeInsee : commune.Nom;
    const AnsiString& texte = critere.texte;
    const std::size_t p = champ.find(texte); // npos when absent
    if (p == 0 && !critere.etoile) return true;
    if (critere.corse && champ.size() >= 2 &&
        (champ.compare(0, 2, "2A") == 0 || champ.compare(0, 2, "2B") == 0)) {
        if (champ.size() <= 2 || texte.size() <= 2) return true;
        if (champ.compare(2, AnsiString::npos, texte, 2, AnsiString::npos) == 0) return true;
    }
    if (p != AnsiString::npos && critere.etoile) {
        if (!critere.espaceFinal) return true;
        if (p == champ.size() - texte.size()) return true;
    }
    return false;
}

} // namespace

void TCarteFrance::RechercheCommunesLineaire(std::vector<std::uint16_t>& resultats,
                                             AnsiString texte, int fin, int debut, int mode) const {
    resultats.clear();
    CritereRecherche critere;
    if (!PrepareCritere(std::move(texte), mode, critere)) return;
    const int n = static_cast<int>(Communes.size());
    debut = debut == -1 ? 0 : std::clamp(debut, 0, n);
    fin = fin == -1 ? n : std::clamp(fin, 0, n);
    for (int i = debut; i < fin; ++i)
        if (Correspond(critere, Communes[static_cast<std::size_t>(i)]))
            resultats.push_back(static_cast<std::uint16_t>(i));
}

void TCarteFrance::RechercheCommunes(std::vector<std::uint16_t>& resultats, AnsiString texte,
                                     int fin, int debut, int mode) const {
    resultats.clear();
    CritereRecherche critere;
    if (!PrepareCritere(texte, mode, critere)) return;
    if (critere.code || critere.etoile || !nomsTries_) {
        RechercheCommunesLineaire(resultats, std::move(texte), fin, debut, mode);
        return;
    }
    // A name prefix: the matches are one run of the sorted table, from the first name not
    // below the text.
    const int n = static_cast<int>(Communes.size());
    debut = debut == -1 ? 0 : std::clamp(debut, 0, n);
    fin = fin == -1 ? n : std::clamp(fin, 0, n);
    if (debut >= fin) return;
    const auto premier =
        std::lower_bound(Communes.begin() + debut, Communes.begin() + fin, critere.texte,
                         [](const TCommune& c, const AnsiString& t) { return c.Nom < t; });
    for (auto it = premier; it != Communes.begin() + fin; ++it) {
        if (it->Nom.compare(0, critere.texte.size(), critere.texte) != 0) break;
        resultats.push_back(static_cast<std::uint16_t>(it - Communes.begin()));
    }
}

// ---- Communes on the map --------------------------------------------------------------

void TCarteFrance::ViderCommunesAffichees() {
    CommunesAffichees.clear();
}

void TCarteFrance::AjouteCommuneAffichee(int indexCommune, const AnsiString& complement,
                                         bool clignotant, bool vider) {
    if (vider) ViderCommunesAffichees();
    if (indexCommune < 0 || static_cast<std::size_t>(indexCommune) >= Communes.size()) return;
    for (const TCommuneAffiche& e : CommunesAffichees)
        if (e.IndexCommune == indexCommune) return;
    CommunesAffichees.emplace_back(indexCommune,
                                   Communes[static_cast<std::size_t>(indexCommune)].Rang,
                                   NomOfficiel(indexCommune), complement, clignotant);
}

} // namespace orlavine
