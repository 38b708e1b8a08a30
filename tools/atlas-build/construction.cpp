#include "tools/atlas-build/construction.h"

#include "atlas/carte_france.h"
#include "atlas/erreurs.h"
#include "atlas/fichiers.h"
#include "tools/atlas-build/contours.h"
#include "tools/atlas-build/erreur_source.h"
#include "tools/atlas-build/positions.h"
#include "tools/atlas-build/projection.h"
#include "tools/atlas-build/voisinage.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <system_error>

namespace orlavine::atlasbuild {

namespace {

bool OctetsAvant(const AnsiString& a, const AnsiString& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

TPointsDep ContourCarte(const Anneau& anneau) {
    TPointsDep contour;
    for (const PointGeo& g : anneau.Points) {
        const PointPlan p = VersCarte(g);
        const TPoint t{static_cast<std::int32_t>(std::lround(p.X)),
                       static_cast<std::int32_t>(std::lround(p.Y))};
        if (!contour.Points.empty() && contour.Points.back() == t) continue;
        contour.AjoutePoint(t.x, t.y);
    }
    while (contour.Points.size() > 1 && contour.Points.back() == contour.Points.front())
        contour.Points.pop_back();
    return contour;
}

// Non-zero winding rule on a closed ring, the point given in the ring's own units.
bool DansAnneau(const std::vector<TPoint>& anneau, double x, double y) {
    int enroulement = 0;
    const std::size_t n = anneau.size();
    for (std::size_t i = 0; i < n; ++i) {
        const double x1 = anneau[i].x, y1 = anneau[i].y;
        const double x2 = anneau[(i + 1) % n].x, y2 = anneau[(i + 1) % n].y;
        const double cote = (x2 - x1) * (y - y1) - (x - x1) * (y2 - y1);
        if (y1 <= y) {
            if (y2 > y && cote > 0) ++enroulement;
        } else if (y2 <= y && cote < 0) {
            --enroulement;
        }
    }
    return enroulement != 0;
}

std::string Virgule(double valeur, int decimales) {
    char tampon[64];
    std::snprintf(tampon, sizeof tampon, "%.*f", decimales, valeur);
    std::string s = tampon;
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

std::string OuiNon(bool b) {
    return b ? "oui" : "NON";
}

} // namespace

int RangOfficiel(const CommuneOfficielle& commune, const CodeOfficiel& code) {
    if (commune.Code == "75056") return RangCapitale;
    if (code.ChefsLieuxRegions.count(commune.Code)) return RangCapitaleRegion;
    for (const DepartementOfficiel& d : code.Departements)
        if (d.ChefLieu == commune.Code) return RangPrefecture;
    if (code.ChefsLieuxArrondissements.count(commune.Code)) return RangSousPrefecture;
    if (commune.Population >= 2000) return RangVille;
    return RangCommune;
}

bool AvantDansAtlas(const TCommune& a, const TCommune& b) {
    if (a.Nom != b.Nom) return OctetsAvant(a.Nom, b.Nom);
    return OctetsAvant(a.CodeInsee, b.CodeInsee);
}

namespace {

// A record on its way into the atlas: the commune, what it is and its parent's code.
struct Enregistrement {
    TCommune Commune;
    TNatureCommune Nature = TNatureCommune::Actuelle;
    std::string Parent;
    std::vector<std::string> AutresCodesPostaux; // after the first, sorted, without it
    AnsiString NomOfficiel;                      // as written, Windows-1252
};

// The name as written, in Windows-1252; a character Windows-1252 cannot hold stops the build
// rather than be shown as "?".
AnsiString NomEcrit(std::string_view nomUtf8, const std::string& code) {
    AnsiString nom = Utf8VersCp1252(nomUtf8);
    if (Cp1252VersUtf8(nom) != nomUtf8)
        throw ErreurSource("le nom « " + std::string(nomUtf8) + " » de la commune " + code +
                           " n'a pas d'équivalent en Windows-1252");
    return nom;
}

TCommune CommunePlacee(PointGeo position, const std::string& code, std::string_view nomUtf8,
                       int typeLiaison) {
    TCommune t;
    t.Latitude = static_cast<float>(position.Latitude);
    t.Longitude = static_cast<float>(position.Longitude);
    const PointPlan carte = VersCarte(position);
    t.XCarte = static_cast<float>(carte.X);
    t.YCarte = static_cast<float>(carte.Y);
    NomDecoupe nom = DecoupeNom(nomUtf8, typeLiaison);
    t.Nom = std::move(nom.Nom);
    t.Article = std::move(nom.Article);
    t.CodeInsee = code;
    return t;
}

// GeoNames places by department and atlas name, with the code GeoNames files them under,
// for the places filed under another commune's code than their own.
using LieuxParNom = std::map<std::pair<std::string, AnsiString>,
                             std::vector<std::pair<const std::string*, const LieuGeoNames*>>>;

LieuxParNom IndexeParNom(const std::map<std::string, std::vector<LieuGeoNames>>& geonames) {
    LieuxParNom index;
    for (const auto& [code, lieux] : geonames)
        for (const LieuGeoNames& l : lieux)
            index[{code.substr(0, 2), NomAtlas(l.Nom)}].push_back({&code, &l});
    return index;
}

// The GeoNames place named `nomAtlas` among those of the codes given, else the only place
// of that name in the department of the first code, unless it is filed under a current
// commune of that very name (a namesake, not this place); null when there is none.
const LieuGeoNames* LieuNomme(const std::map<std::string, std::vector<LieuGeoNames>>& geonames,
                              const LieuxParNom& parNom,
                              const std::map<std::string, AnsiString>& nomsActuels,
                              std::initializer_list<std::string> codes,
                              const AnsiString& nomAtlas) {
    for (const std::string& code : codes) {
        const auto it = geonames.find(code);
        if (it == geonames.end()) continue;
        const LieuGeoNames& l = ChoisitLieu(it->second, nomAtlas);
        if (NomAtlas(l.Nom) == nomAtlas) return &l;
    }
    const auto it = parNom.find({codes.begin()->substr(0, 2), nomAtlas});
    if (it == parNom.end() || it->second.size() != 1) return nullptr;
    const auto [code, lieu] = it->second.front();
    const auto homonyme = nomsActuels.find(*code);
    return homonyme != nomsActuels.end() && homonyme->second == nomAtlas ? nullptr : lieu;
}

} // namespace

AtlasConstruit ConstruitAtlas(const OptionsConstruction& options) {
    AtlasConstruit atlas;
    for (const PaquetSource& p : PaquetsSources)
        VerifieVersionPaquet(options.Sources / p.Dossier, p.Nom, p.Version);
    const CodeOfficiel code = LitCodeOfficiel(options.Sources / CheminCodeOfficiel);
    const auto geonames = LitGeoNames(options.Sources / CheminGeoNames);
    const LieuxParNom geonamesParNom = IndexeParNom(geonames);
    std::map<std::string, AnsiString> nomsActuels;
    for (const CommuneOfficielle& c : code.Communes)
        nomsActuels[c.Code] = NomAtlas(c.Nom);
    std::map<std::string, Centroide> centroides;
    if (options.Centroides) centroides = LitCentroides(*options.Centroides);
    const std::vector<Anneau> anneaux =
        options.Contours ? LitContoursGeoJson(*options.Contours)
                         : LitContoursSvg(options.Sources / CheminDessinDepartements);

    BilanSources& bilan = atlas.Bilan;
    bilan.CommunesOfficielles = code.Communes.size();
    std::vector<Enregistrement> enregistrements;
    std::set<std::string> centroidesUtilises;
    auto compte = [&](TNatureCommune nature, SourcePosition source) {
        ++bilan.Positions[static_cast<std::size_t>(nature)][source];
    };

    // Current communes: their 2018 centroid, else GeoNames, else the centre of the
    // communes they were made from.
    std::map<std::string, PointGeo> positionsActuelles;
    std::set<std::string> codesActuels;
    for (const CommuneOfficielle& c : code.Communes) {
        codesActuels.insert(c.Code);
        ++bilan.Officielles[0];
        PointGeo position;
        SourcePosition source = PositionAucune;
        if (const auto it = centroides.find(c.Code); it != centroides.end()) {
            position = it->second.Position;
            source = PositionCentroide;
            centroidesUtilises.insert(c.Code);
        } else if (const auto g = geonames.find(c.Code); g != geonames.end()) {
            position = ChoisitLieu(g->second, NomAtlas(c.Nom)).Position;
            source = PositionGeoNames;
        } else if (const LieuGeoNames* l = LieuNomme(geonames, geonamesParNom, nomsActuels,
                                                     {c.Code}, NomAtlas(c.Nom))) {
            // A commune restored since 2018: GeoNames may still file it under the
            // commune it had joined.
            position = l->Position;
            source = PositionGeoNames;
        } else {
            int n = 0;
            PointGeo somme;
            for (const std::string& ancien : c.AnciensCodes)
                if (const auto it = centroides.find(ancien); it != centroides.end()) {
                    centroidesUtilises.insert(ancien);
                    somme.Latitude += it->second.Position.Latitude;
                    somme.Longitude += it->second.Position.Longitude;
                    ++n;
                }
            if (n > 0) {
                position = {somme.Latitude / n, somme.Longitude / n};
                source = PositionCommunesOrigine;
            }
        }
        compte(TNatureCommune::Actuelle, source);
        if (source == PositionAucune) continue;
        positionsActuelles[c.Code] = position;
        Enregistrement e;
        e.Commune = CommunePlacee(position, c.Code, c.Nom, c.TypeLiaison);
        e.Commune.Rang = static_cast<std::uint8_t>(RangOfficiel(c, code));
        e.NomOfficiel = NomEcrit(c.Nom, c.Code);
        // The first code of the source stays the record's own; the others go to the side file.
        e.Commune.CodePostal = c.CodesPostaux.empty() ? std::string() : c.CodesPostaux.front();
        for (const std::string& cp : c.CodesPostaux)
            if (cp != e.Commune.CodePostal) e.AutresCodesPostaux.push_back(cp);
        std::sort(e.AutresCodesPostaux.begin(), e.AutresCodesPostaux.end());
        e.AutresCodesPostaux.erase(
            std::unique(e.AutresCodesPostaux.begin(), e.AutresCodesPostaux.end()),
            e.AutresCodesPostaux.end());
        enregistrements.push_back(std::move(e));
    }

    // Delegated, associated and former communes: their own 2018 centroid when they were
    // still communes in 2018, else the GeoNames place of their name, else their parent's
    // position. A code shared with the parent has its own centroid only when the 2018 name
    // was theirs.
    auto ajouteLiee = [&](const std::string& codeLiee, const std::string& nomUtf8, int typeLiaison,
                          TNatureCommune nature, const std::string& parent) {
        const auto positionParent = positionsActuelles.find(parent);
        if (positionParent == positionsActuelles.end()) {
            compte(nature, PositionAucune); // its parent has no position either
            return;
        }
        const AnsiString nomAtlas = NomAtlas(nomUtf8);
        PointGeo position;
        SourcePosition source;
        const auto centroide = centroides.find(codeLiee);
        const LieuGeoNames* lieu = nullptr;
        if (centroide != centroides.end() &&
            (codeLiee != parent || NomAtlas(centroide->second.Nom) == SansArticle(nomAtlas))) {
            position = centroide->second.Position;
            source = PositionCentroide;
            centroidesUtilises.insert(codeLiee);
        } else if ((lieu = LieuNomme(geonames, geonamesParNom, nomsActuels, {codeLiee, parent},
                                     nomAtlas)) != nullptr) {
            position = lieu->Position;
            source = PositionGeoNames;
        } else {
            position = positionParent->second;
            source = PositionRattachement;
        }
        compte(nature, source);
        Enregistrement e;
        e.Commune = CommunePlacee(position, codeLiee, nomUtf8, typeLiaison);
        e.Commune.Rang = RangCommune;
        e.Nature = nature;
        e.Parent = parent;
        e.NomOfficiel = NomEcrit(nomUtf8, codeLiee);
        enregistrements.push_back(std::move(e));
    };
    std::map<std::string, const CommuneOfficielle*> parCode;
    for (const CommuneOfficielle& c : code.Communes)
        parCode[c.Code] = &c;
    std::set<std::string> codesLies;
    for (const CommuneLieeOfficielle& l : code.Liees) {
        codesLies.insert(l.Code);
        ++bilan.Officielles[static_cast<std::size_t>(l.Nature)];
        // The delegated commune that bears the name and code of its new commune is that
        // commune: searching either finds the current one.
        if (l.Code == l.Parent && NomAtlas(l.Nom) == NomAtlas(parCode.at(l.Parent)->Nom)) {
            ++bilan.DelegueesConfondues;
            continue;
        }
        ajouteLiee(l.Code, l.Nom, l.TypeLiaison, l.Nature, l.Parent);
    }
    // Former communes: the codes a current commune was made from that are neither a
    // delegated nor an associated commune, when the centroid file names them.
    for (const CommuneOfficielle& c : code.Communes)
        for (const std::string& ancien : c.AnciensCodes) {
            if (codesLies.count(ancien) || codesActuels.count(ancien)) continue;
            const auto it = centroides.find(ancien);
            if (it == centroides.end()) continue;
            codesLies.insert(ancien);
            ++bilan.Officielles[static_cast<std::size_t>(TNatureCommune::Ancienne)];
            ajouteLiee(ancien, it->second.Nom, 0, TNatureCommune::Ancienne, c.Code);
        }
    bilan.CentroidesInutilises = centroides.size() - centroidesUtilises.size();
    if (enregistrements.size() > NombreMaxCommunes)
        throw ErreurSource("plus de 65 536 communes positionnées : l'atlas n'en admet pas tant");

    // Names in byte order; for one name and code, the current commune first.
    std::sort(enregistrements.begin(), enregistrements.end(),
              [](const Enregistrement& a, const Enregistrement& b) {
                  if (AvantDansAtlas(a.Commune, b.Commune)) return true;
                  if (AvantDansAtlas(b.Commune, a.Commune)) return false;
                  return a.Nature < b.Nature;
              });
    std::map<std::string, std::uint16_t> indexActuels;
    std::vector<bool> actuelles;
    for (std::size_t i = 0; i < enregistrements.size(); ++i) {
        const Enregistrement& e = enregistrements[i];
        if (e.Nature == TNatureCommune::Actuelle)
            indexActuels[e.Commune.CodeInsee] = static_cast<std::uint16_t>(i);
        actuelles.push_back(e.Nature == TNatureCommune::Actuelle);
    }
    for (std::size_t i = 0; i < enregistrements.size(); ++i) {
        Enregistrement& e = enregistrements[i];
        if (e.Nature != TNatureCommune::Actuelle)
            atlas.Liees.push_back(
                {static_cast<std::uint16_t>(i), e.Nature, indexActuels.at(e.Parent)});
        for (const std::string& cp : e.AutresCodesPostaux)
            atlas.AutresCodesPostaux.push_back({static_cast<std::uint16_t>(i), cp});
        atlas.NomsOfficiels.push_back({static_cast<std::uint16_t>(i), std::move(e.NomOfficiel)});
        atlas.Communes.push_back(std::move(e.Commune));
    }
    // Only current communes are anybody's neighbours; the others list those around them.
    CalculeVoisins(atlas.Communes, RayonVoisinsKm, actuelles);

    const std::filesystem::path departementsJson =
        options.Sources / CheminCodeOfficiel / "departements.json";
    for (int n = 1; n <= NombreDepartements; ++n) {
        if (n == 20) {
            atlas.NomsDepartements.push_back("Corse");
            continue;
        }
        const std::string cle = CodeDepartement(n);
        const auto it = std::find_if(code.Departements.begin(), code.Departements.end(),
                                     [&](const DepartementOfficiel& d) { return d.Code == cle; });
        if (it == code.Departements.end())
            throw ErreurSource(departementsJson, 0, "département « " + cle + " » absent");
        atlas.NomsDepartements.push_back(Utf8VersCp1252(it->Nom));
    }
    atlas.Departements = code.Departements;

    bilan.Anneaux = anneaux.size();
    for (const Anneau& a : anneaux) {
        TPointsDep contour = ContourCarte(a);
        if (contour.Points.size() < 3) continue;
        atlas.Contours.push_back(std::move(contour));
        atlas.DepartementsContours.push_back(a.Departement);
    }
    if (atlas.Contours.size() > static_cast<std::size_t>(NombreContours)) {
        const std::filesystem::path source =
            options.Contours ? *options.Contours : options.Sources / CheminDessinDepartements;
        throw ErreurSource(source, 0,
                           std::to_string(atlas.Contours.size()) + " contours, " +
                               std::to_string(NombreContours) + " au plus");
    }
    return atlas;
}

FichiersAtlas EcritFichiers(const AtlasConstruit& atlas) {
    FichiersAtlas f;
    f.Communes = EcritCommunes(atlas.Communes);
    f.Departements = EcritNomsDepartements(atlas.NomsDepartements);
    f.Contours = EcritContours(atlas.Contours);
    f.CommunesLiees = EcritCommunesLiees(atlas.Liees, atlas.Communes.size());
    f.CodesPostaux = EcritCodesPostaux(atlas.AutresCodesPostaux, atlas.Communes.size());
    f.NomsOfficiels = EcritNomsOfficiels(atlas.NomsOfficiels, atlas.Communes.size());
    return f;
}

RapportValidation ValideAtlas(const AtlasConstruit& atlas, const FichiersAtlas& fichiers) {
    RapportValidation r;
    const auto& communes = atlas.Communes;
    r.Communes = communes.size();
    std::vector<bool> actuelle(communes.size(), true);
    r.ParNature[0] = communes.size();
    for (const TCommuneLiee& l : atlas.Liees) {
        if (l.Index < actuelle.size()) actuelle[l.Index] = false;
        --r.ParNature[0];
        ++r.ParNature[static_cast<std::size_t>(l.Nature)];
    }
    for (const DepartementOfficiel& d : atlas.Departements)
        r.CommunesParDepartement[d.Code] = 0;
    for (const TCommune& c : communes)
        ++r.CommunesParDepartement[c.CodeInsee.substr(0, 2)];

    for (const DepartementOfficiel& d : atlas.Departements) {
        const bool presente = std::any_of(communes.begin(), communes.end(), [&](const TCommune& c) {
            return c.CodeInsee == d.ChefLieu && c.Rang >= RangPrefecture;
        });
        if (presente)
            ++r.PrefecturesPresentes;
        else
            r.PrefecturesManquantes.push_back(d.Code);
    }

    // Outlines by department, with their bounds for a quick rejection.
    std::map<std::string, std::vector<std::size_t>> contoursParDepartement;
    for (std::size_t i = 0; i < atlas.Contours.size(); ++i)
        contoursParDepartement[atlas.DepartementsContours[i]].push_back(i);
    for (const DepartementOfficiel& d : atlas.Departements)
        if (!contoursParDepartement.count(d.Code)) r.DepartementsSansContour.push_back(d.Code);
    for (const TCommune& c : communes) {
        const auto it = contoursParDepartement.find(c.CodeInsee.substr(0, 2));
        if (it == contoursParDepartement.end()) continue;
        for (const std::size_t k : it->second) {
            const TPointsDep& contour = atlas.Contours[k];
            const TRect& b = contour.RectEnglobant;
            if (c.XCarte < b.left || c.XCarte > b.right || c.YCarte < b.top || c.YCarte > b.bottom)
                continue;
            if (DansAnneau(contour.Points, c.XCarte, c.YCarte)) {
                ++r.CommunesDansDepartement;
                break;
            }
        }
    }
    r.PartDansDepartement =
        communes.empty() ? 0.0 : double(r.CommunesDansDepartement) / double(communes.size());

    r.NomsTries = true;
    for (std::size_t i = 0; i + 1 < communes.size(); ++i)
        if (OctetsAvant(communes[i + 1].Nom, communes[i].Nom)) r.NomsTries = false;

    for (const TCommune& c : communes) {
        if (c.Voisins.size() != c.DistancesVoisins.size()) {
            ++r.IndexHorsBornes;
            continue;
        }
        for (std::size_t k = 0; k < c.Voisins.size(); ++k) {
            ++r.VoisinesVerifiees;
            const std::size_t j = c.Voisins[k];
            if (j >= communes.size()) {
                ++r.IndexHorsBornes;
                continue;
            }
            if (!actuelle[j]) ++r.VoisinesNonActuelles;
            if (c.DistancesVoisins[k] != TCarteFrance::DistanceCommunes(c, communes[j]) ||
                c.DistancesVoisins[k] > RayonVoisinsKm)
                ++r.DistancesFausses;
            if (k > 0 && std::make_pair(c.DistancesVoisins[k], c.Voisins[k]) <=
                             std::make_pair(c.DistancesVoisins[k - 1], c.Voisins[k - 1]))
                ++r.VoisinesNonTriees;
        }
    }

    try {
        std::vector<TCommune> relues;
        LitCommunes(fichiers.Communes, relues);
        std::vector<AnsiString> noms;
        LitNomsDepartements(fichiers.Departements, noms);
        std::vector<TDepartement> contours;
        LitContours(fichiers.Contours, contours);
        std::vector<TCommuneLiee> liees;
        LitCommunesLiees(fichiers.CommunesLiees, relues.size(), liees);
        std::vector<TAutreCodePostal> codesPostaux;
        LitCodesPostaux(fichiers.CodesPostaux, relues.size(), codesPostaux);
        std::vector<TNomOfficiel> nomsOfficiels;
        LitNomsOfficiels(fichiers.NomsOfficiels, relues.size(), nomsOfficiels);
        bool identiques = relues == communes && noms == atlas.NomsDepartements &&
                          liees == atlas.Liees && codesPostaux == atlas.AutresCodesPostaux &&
                          nomsOfficiels == atlas.NomsOfficiels &&
                          contours.size() == static_cast<std::size_t>(NombreContours);
        for (std::size_t i = 0; identiques && i < contours.size(); ++i) {
            const std::vector<TPoint> attendus =
                i < atlas.Contours.size() ? atlas.Contours[i].Points : std::vector<TPoint>{};
            identiques = contours[i].Contour.Points == attendus;
        }
        r.RelectureIdentique = identiques;
    } catch (const ErreurAtlas&) {
        r.RelectureIdentique = false;
    }
    return r;
}

bool RapportValidation::Valide() const {
    return Communes > 0 && PrefecturesManquantes.empty() && DepartementsSansContour.empty() &&
           PartDansDepartement >= PartMinimaleDansDepartement && DistancesFausses == 0 &&
           IndexHorsBornes == 0 && VoisinesNonTriees == 0 && VoisinesNonActuelles == 0 &&
           NomsTries && RelectureIdentique;
}

std::string RapportValidation::Texte(const AtlasConstruit& atlas) const {
    std::ostringstream t;
    const BilanSources& b = atlas.Bilan;
    t << "Rapport de validation de l'atlas\n";
    t << "Sources : " << b.CommunesOfficielles
      << " communes actuelles de métropole dans le code officiel, " << b.Officielles[1]
      << " déléguées, " << b.Officielles[2] << " associées, " << b.Officielles[3]
      << " anciennes communes nommées par les centroïdes 2018";
    if (b.DelegueesConfondues > 0)
        t << " (" << b.DelegueesConfondues
          << " déléguées de même nom et code que leur commune, confondues avec elle)";
    t << "\n";
    t << "Positions par source :\n";
    static const char* const natures[] = {"actuelles", "déléguées", "associées", "anciennes"};
    for (std::size_t n = 0; n < 4; ++n) {
        const auto& p = b.Positions[n];
        t << "  " << natures[n] << " : " << p[PositionCentroide] << " centroïde 2018, "
          << p[PositionGeoNames] << " GeoNames, ";
        if (n == 0)
            t << p[PositionCommunesOrigine] << " centre des communes d'origine, ";
        else
            t << p[PositionRattachement] << " position de la commune de rattachement, ";
        t << p[PositionAucune] << " sans position (écartées)\n";
    }
    if (b.CentroidesInutilises > 0)
        t << "Centroïdes 2018 sans emploi (communes disparues sans nom ou sans rattachement) : "
          << b.CentroidesInutilises << "\n";
    t << "Communes : " << Communes << " (" << ParNature[0] << " actuelles, " << ParNature[1]
      << " déléguées, " << ParNature[2] << " associées, " << ParNature[3] << " anciennes)\n";
    t << "Codes postaux au-delà du premier : " << atlas.AutresCodesPostaux.size() << "\n";
    t << "Noms officiels : " << atlas.NomsOfficiels.size() << "\n";
    t << "Communes par département :\n";
    int colonne = 0;
    for (const auto& [code, n] : CommunesParDepartement) {
        char tampon[32];
        std::snprintf(tampon, sizeof tampon, "  %-2s %5zu", code.c_str(), n);
        t << tampon << (++colonne % 8 == 0 ? "\n" : "");
    }
    if (colonne % 8 != 0) t << "\n";
    t << "Préfectures présentes : " << PrefecturesPresentes << " / " << atlas.Departements.size();
    for (const std::string& d : PrefecturesManquantes)
        t << " (manque " << d << ")";
    t << "\n";
    t << "Contours : " << atlas.Contours.size() << " anneaux (" << NombreContours
      << " enregistrements)";
    if (!DepartementsSansContour.empty()) {
        t << ", départements sans contour :";
        for (const std::string& d : DepartementsSansContour)
            t << " " << d;
    }
    t << "\n";
    t << "Communes dans le contour de leur département : " << CommunesDansDepartement << " / "
      << Communes << " = " << Virgule(100.0 * PartDansDepartement, 2) << " % (minimum "
      << Virgule(100.0 * PartMinimaleDansDepartement, 0)
      << " %) : " << OuiNon(PartDansDepartement >= PartMinimaleDansDepartement) << "\n";
    t << "Voisines vérifiées : " << VoisinesVerifiees
      << ", distances égales à DistanceCommunes : " << OuiNon(DistancesFausses == 0);
    if (DistancesFausses) t << " (" << DistancesFausses << " fausses)";
    t << ", triées : " << OuiNon(VoisinesNonTriees == 0)
      << ", index dans les bornes : " << OuiNon(IndexHorsBornes == 0)
      << ", toutes actuelles : " << OuiNon(VoisinesNonActuelles == 0) << "\n";
    t << "Noms triés : " << OuiNon(NomsTries) << "\n";
    t << "Relecture des fichiers identique : " << OuiNon(RelectureIdentique) << "\n";
    t << "Durée de construction : " << Virgule(DureeSecondes, 2) << " s\n";
    t << "Validation : " << (Valide() ? "réussie" : "ÉCHEC") << "\n";
    return t.str();
}

void InstalleAtlas(const FichiersAtlas& fichiers, const std::filesystem::path& sortie) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path cible = fs::absolute(sortie, ec).lexically_normal();
    if (ec) throw ErreurSource(sortie, 0, "chemin de sortie invalide");
    if (!cible.has_filename()) cible = cible.parent_path();
    const fs::path parent = cible.parent_path();
    fs::create_directories(parent, ec);
    if (ec) throw ErreurSource(parent, 0, "dossier impossible à créer (" + ec.message() + ")");

    // A fresh temporary folder beside the target, so that the renames stay on one volume.
    fs::path temporaire;
    const auto graine = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int essai = 0;; ++essai) {
        std::string nom = ".";
        nom += cible.filename().string();
        nom += ".tmp-";
        nom += std::to_string(graine);
        nom += '-';
        nom += std::to_string(essai);
        temporaire = parent / nom;
        if (fs::create_directory(temporaire, ec)) break;
        if (ec || essai > 100)
            throw ErreurSource(parent, 0, "dossier temporaire impossible à créer");
    }
    struct Nettoyage {
        fs::path dossier;
        ~Nettoyage() {
            std::error_code e;
            fs::remove_all(dossier, e);
        }
    } nettoyage{temporaire};

    const std::pair<const char*, const std::vector<std::uint8_t>*> contenus[] = {
        {NomFichierContours, &fichiers.Contours},
        {NomFichierCommunes, &fichiers.Communes},
        {NomFichierDepartements, &fichiers.Departements},
        {NomFichierCommunesLiees, &fichiers.CommunesLiees},
        {NomFichierCodesPostaux, &fichiers.CodesPostaux},
        {NomFichierNomsOfficiels, &fichiers.NomsOfficiels}};
    for (const auto& [nom, octets] : contenus) {
        std::ofstream f(temporaire / nom, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(octets->data()),
                static_cast<std::streamsize>(octets->size()));
        f.close();
        if (!f) throw ErreurSource(temporaire / nom, 0, "écriture impossible");
    }
    fs::create_directories(cible, ec);
    if (ec) throw ErreurSource(cible, 0, "dossier impossible à créer (" + ec.message() + ")");
    for (const auto& [nom, octets] : contenus) {
        fs::rename(temporaire / nom, cible / nom, ec);
        if (ec)
            throw ErreurSource(cible / nom, 0, "remplacement impossible (" + ec.message() + ")");
    }
}

} // namespace orlavine::atlasbuild
