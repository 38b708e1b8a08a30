// Loading, lookup and distances on a generated atlas of 35,000 communes.
#include "atlas/carte_france.h"
#include "atlas/fichiers.h"
#include "atlas/recherche.h"
#include "atlas/saisie.h"
#include "bench/generateur.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace orlavine {

namespace {

// The generated atlas, its three files in a temporary folder (removed at exit) and the
// atlas loaded back from them. Built once, on first use.
class AtlasBanc {
public:
    static AtlasBanc& Instance() {
        static AtlasBanc banc;
        return banc;
    }
    const std::filesystem::path& Dossier() const { return dossier_; }
    const TCarteFrance& Carte() const { return *carte_; }
    TCarteFrance& Carte() { return *carte_; }

    ~AtlasBanc() {
        std::error_code erreur;
        std::filesystem::remove_all(dossier_, erreur);
    }
    AtlasBanc(const AtlasBanc&) = delete;
    AtlasBanc& operator=(const AtlasBanc&) = delete;

private:
    AtlasBanc() : dossier_(DossierTemporaire()) {
        EcritAtlas(GenereAtlas(), dossier_);
        carte_ = std::make_unique<TCarteFrance>(dossier_);
        if (carte_->Communes.size() != NombreCommunesBanc)
            throw std::runtime_error("l'atlas relu n'a pas le nombre de communes écrit");
    }

    static std::filesystem::path DossierTemporaire() {
        std::string modele = (std::filesystem::temp_directory_path() / "orlavine-bench-XXXXXX");
        if (mkdtemp(modele.data()) == nullptr)
            throw std::runtime_error("impossible de créer le dossier temporaire " + modele);
        return modele;
    }

    std::filesystem::path dossier_;
    std::unique_ptr<TCarteFrance> carte_;
};

// ---- Loading ----------------------------------------------------------------------------

void BM_ChargementAtlas(benchmark::State& etat) {
    const auto& dossier = AtlasBanc::Instance().Dossier();
    std::size_t communes = 0;
    for (auto _ : etat) {
        TCarteFrance carte(dossier);
        communes = carte.Communes.size();
        benchmark::DoNotOptimize(carte.Communes.data());
    }
    etat.counters["communes"] = static_cast<double>(communes);
}
BENCHMARK(BM_ChargementAtlas)->Unit(benchmark::kMillisecond);

// The bundled atlas of data/atlas/: every current commune, the delegated, associated and
// former ones, and their side files.
void BM_ChargementAtlasLivre(benchmark::State& etat) {
    const std::filesystem::path dossier = ORLAVINE_ATLAS_LIVRE;
    std::size_t communes = 0, liees = 0, codesPostaux = 0, noms = 0;
    for (auto _ : etat) {
        TCarteFrance carte(dossier);
        communes = carte.Communes.size();
        liees = carte.CommunesLiees.size();
        codesPostaux = carte.AutresCodesPostaux.size();
        noms = carte.NomsOfficiels.size();
        benchmark::DoNotOptimize(carte.Communes.data());
    }
    etat.counters["communes"] = static_cast<double>(communes);
    etat.counters["liees"] = static_cast<double>(liees);
    etat.counters["codes_postaux"] = static_cast<double>(codesPostaux);
    etat.counters["noms"] = static_cast<double>(noms);
}
BENCHMARK(BM_ChargementAtlasLivre)->Unit(benchmark::kMillisecond);

// The names as written of the bundled atlas ("ccnoms.dat"), alone.
void BM_ChargeNomsOfficiels(benchmark::State& etat) {
    const std::filesystem::path dossier = ORLAVINE_ATLAS_LIVRE;
    const std::size_t communes = TCarteFrance(dossier).Communes.size();
    std::vector<TNomOfficiel> noms;
    for (auto _ : etat) {
        ChargeNomsOfficiels(noms, dossier, communes);
        benchmark::DoNotOptimize(noms.data());
    }
    etat.counters["noms"] = static_cast<double>(noms.size());
}
BENCHMARK(BM_ChargeNomsOfficiels)->Unit(benchmark::kMillisecond);

void BM_ChargeCommunes(benchmark::State& etat) {
    const auto& dossier = AtlasBanc::Instance().Dossier();
    for (auto _ : etat) {
        std::vector<TCommune> communes;
        ChargeCommunes(communes, dossier);
        benchmark::DoNotOptimize(communes.data());
    }
    etat.counters["octets"] =
        static_cast<double>(std::filesystem::file_size(dossier / NomFichierCommunes));
}
BENCHMARK(BM_ChargeCommunes)->Unit(benchmark::kMillisecond);

void BM_ChargeContours(benchmark::State& etat) {
    const auto& dossier = AtlasBanc::Instance().Dossier();
    for (auto _ : etat) {
        std::vector<TDepartement> departements;
        ChargeContours(departements, dossier);
        benchmark::DoNotOptimize(departements.data());
    }
}
BENCHMARK(BM_ChargeContours)->Unit(benchmark::kMicrosecond);

void BM_ChargeNomsDepartements(benchmark::State& etat) {
    const auto& dossier = AtlasBanc::Instance().Dossier();
    for (auto _ : etat) {
        std::vector<AnsiString> noms;
        ChargeNomsDepartements(noms, dossier);
        benchmark::DoNotOptimize(noms.data());
    }
}
BENCHMARK(BM_ChargeNomsDepartements)->Unit(benchmark::kMicrosecond);

// ---- Lookup -----------------------------------------------------------------------------

void BM_RechercheCommunes(benchmark::State& etat, const char* texte, int mode) {
    const TCarteFrance& carte = AtlasBanc::Instance().Carte();
    std::vector<std::uint16_t> resultats, parBalayage;
    carte.RechercheCommunes(resultats, texte, -1, -1, mode);
    carte.RechercheCommunesLineaire(parBalayage, texte, -1, -1, mode);
    if (resultats != parBalayage) {
        etat.SkipWithError("la recherche rapide et le balayage ne donnent pas la même liste");
        return;
    }
    for (auto _ : etat) {
        carte.RechercheCommunes(resultats, texte, -1, -1, mode);
        benchmark::DoNotOptimize(resultats.data());
    }
    etat.counters["resultats"] = static_cast<double>(resultats.size());
}
// Prefixes: the binary search finds the start of the run.
BENCHMARK_CAPTURE(BM_RechercheCommunes, prefixe_SAINT, "SAINT-", SaisieNom)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RechercheCommunes, prefixe_MONT, "MONT", SaisieNom)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RechercheCommunes, prefixe_VILLENEUVE_SUR, "VILLENEUVE-SUR-", SaisieNom)
    ->Unit(benchmark::kMicrosecond);
// Star: the text anywhere in the name; with a final space, at its end.
BENCHMARK_CAPTURE(BM_RechercheCommunes, etoile_VILLE, "*VILLE", SaisieNom)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RechercheCommunes, etoile_fin_SUR_SEINE, "*SUR-SEINE ", SaisieNom)
    ->Unit(benchmark::kMicrosecond);
// Codes: a department, Corsica as a whole, one Corsican INSEE code.
BENCHMARK_CAPTURE(BM_RechercheCommunes, code_59, "59", SaisieCode)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RechercheCommunes, code_20, "20", SaisieCode)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RechercheCommunes, code_20004, "20004", SaisieCode)
    ->Unit(benchmark::kMicrosecond);

// The same prefix search by a plain scan, to weigh the binary-search start.
void BM_RechercheCommunesLineaire(benchmark::State& etat, const char* texte, int mode) {
    const TCarteFrance& carte = AtlasBanc::Instance().Carte();
    std::vector<std::uint16_t> resultats;
    for (auto _ : etat) {
        carte.RechercheCommunesLineaire(resultats, texte, -1, -1, mode);
        benchmark::DoNotOptimize(resultats.data());
    }
    etat.counters["resultats"] = static_cast<double>(resultats.size());
}
BENCHMARK_CAPTURE(BM_RechercheCommunesLineaire, prefixe_SAINT, "SAINT-", SaisieNom)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RechercheCommunesLineaire, prefixe_VILLENEUVE_SUR, "VILLENEUVE-SUR-",
                  SaisieNom)
    ->Unit(benchmark::kMicrosecond);

// The search path of the window and the command line: the strict answer when there is
// one (its cost must stay that of the strict search), else the forgiving attempts.
void BM_RechercheTolerante(benchmark::State& etat, const char* texte, int mode,
                           TEtapeRecherche attendue) {
    const TCarteFrance& carte = AtlasBanc::Instance().Carte();
    TResultatRecherche r = RechercheTolerante(carte, texte, mode);
    if (r.Etape != attendue) {
        etat.SkipWithError("la recherche ne répond pas à l'étape attendue");
        return;
    }
    for (auto _ : etat) {
        r = RechercheTolerante(carte, texte, mode);
        benchmark::DoNotOptimize(r.Communes.data());
    }
    etat.counters["resultats"] = static_cast<double>(r.Communes.size());
}
BENCHMARK_CAPTURE(BM_RechercheTolerante, stricte_SAINT, "SAINT-", SaisieNom,
                  TEtapeRecherche::Stricte)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RechercheTolerante, stricte_VILLENEUVE_SUR, "VILLENEUVE-SUR-", SaisieNom,
                  TEtapeRecherche::Stricte)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RechercheTolerante, saints_ST_FIRMIN, "ST-FIRMIN", SaisieNom,
                  TEtapeRecherche::Saints)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RechercheTolerante, article_LES_MESNIL, "LES-MESNIL", SaisieNom,
                  TEtapeRecherche::SansArticle)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RechercheTolerante, etoile_SUR_MARNE, "SUR-MARNE", SaisieNom,
                  TEtapeRecherche::Etoile)
    ->Unit(benchmark::kMicrosecond);
// Every attempt runs and finds nothing: the slowest answer.
BENCHMARK_CAPTURE(BM_RechercheTolerante, rien_ST_ZZYZX, "ST-ZZYZX", SaisieNom,
                  TEtapeRecherche::Aucune)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_RechercheTolerante, code_postal_75001, "75001", SaisieCode,
                  TEtapeRecherche::Code)
    ->Unit(benchmark::kMicrosecond);

// ---- Distances --------------------------------------------------------------------------

void BM_DistanceCommunes(benchmark::State& etat) {
    const auto& communes = AtlasBanc::Instance().Carte().Communes;
    // Pairs spread over the whole table, most of them far apart.
    std::vector<std::pair<std::size_t, std::size_t>> paires(4096);
    for (std::size_t k = 0; k < paires.size(); ++k)
        paires[k] = {(k * 7919) % communes.size(), (k * 104729 + 17) % communes.size()};
    std::size_t k = 0;
    long long somme = 0;
    for (auto _ : etat) {
        const auto& [a, b] = paires[k++ % paires.size()];
        somme += TCarteFrance::DistanceCommunes(communes[a], communes[b]);
    }
    benchmark::DoNotOptimize(somme);
    etat.SetItemsProcessed(etat.iterations());
}
BENCHMARK(BM_DistanceCommunes);

// The same pairs, entirely in 80-bit arithmetic: what the fast path saves.
void BM_DistanceCommunesEtendue(benchmark::State& etat) {
    const auto& communes = AtlasBanc::Instance().Carte().Communes;
    std::vector<std::pair<std::size_t, std::size_t>> paires(4096);
    for (std::size_t k = 0; k < paires.size(); ++k)
        paires[k] = {(k * 7919) % communes.size(), (k * 104729 + 17) % communes.size()};
    std::size_t k = 0;
    long long somme = 0;
    for (auto _ : etat) {
        const auto& [a, b] = paires[k++ % paires.size()];
        somme += TCarteFrance::DistanceCommunesEtendue(communes[a], communes[b]);
    }
    benchmark::DoNotOptimize(somme);
    etat.SetItemsProcessed(etat.iterations());
}
BENCHMARK(BM_DistanceCommunesEtendue);

// The ranked towns within 100 km of one town (or two), over the whole atlas, with the
// default preferences (sub-prefectures and up), as at each selection.
void BM_AjouteCommunesDeRang(benchmark::State& etat) {
    TCarteFrance& carte = AtlasBanc::Instance().Carte();
    const bool deuxVilles = etat.range(0) == 2;
    const std::size_t n = carte.Communes.size();
    std::size_t i = 0, affichees = 0, selections = 0;
    for (auto _ : etat) {
        const int ville1 = static_cast<int>(i);
        const int ville2 = deuxVilles ? static_cast<int>((i + n / 2) % n) : -1;
        carte.AjouteCommuneAffichee(ville1, AnsiString(), true, true);
        carte.AjouteCommunesDeRang(ville1, ville2);
        affichees += carte.CommunesAffichees.size();
        ++selections;
        i = (i + 7919) % n;
    }
    carte.ViderCommunesAffichees();
    etat.counters["affichees"] = selections ? static_cast<double>(affichees) / selections : 0.0;
}
BENCHMARK(BM_AjouteCommunesDeRang)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_RechercheVoisines(benchmark::State& etat) {
    TCarteFrance& carte = AtlasBanc::Instance().Carte();
    const int rayon = static_cast<int>(etat.range(0));
    const std::size_t n = carte.Communes.size();
    std::size_t i = 0, trouves = 0, recherches = 0;
    for (auto _ : etat) {
        carte.RechercheVoisines(static_cast<int>(i), rayon);
        trouves += carte.CommunesVoisines.size();
        ++recherches;
        i = (i + 7919) % n;
    }
    etat.counters["voisines"] = recherches ? static_cast<double>(trouves) / recherches : 0.0;
}
BENCHMARK(BM_RechercheVoisines)->Arg(5)->Arg(10)->Arg(20);

} // namespace

} // namespace orlavine
