// The genealogy base on a generated GEDCOM file of 1,000,000 lines (60,000 individuals, 20,000
// places): import end to end (file on disk -> new base), its peak memory, export after
// geolocation, and the events traversal by place over a base of 1,000,000 events.
#include "bench/generateur_gedcom.h"
#include "genealogie/base_gedcom.h"
#include "genealogie/services_liste.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orlavine {

namespace {

namespace fs = std::filesystem;

// The generated file and the bases made from it, in a temporary folder removed at exit.
class BaseBanc {
public:
    static BaseBanc& Instance() {
        static BaseBanc banc;
        return banc;
    }
    const fs::path& Fichier() const { return fichier_; }
    fs::path Chemin(const std::string& nom) const { return dossier_ / nom; }

    // A base of the generated file with new positions for a quarter of its places.
    const fs::path& BaseGeolocalisee() {
        if (geolocalisee_.empty()) {
            geolocalisee_ = dossier_ / "geolocalisee.sqlite";
            ImporteGedcom(fichier_, geolocalisee_);
            TBaseGenealogie base(geolocalisee_);
            TModuleBDD module(base);
            TransactionSqlite t(base.Connexion());
            const int n = static_cast<int>(base.Comptes().Lieux);
            for (int id = 1; id <= n; id += 4) {
                SGeoChps g(id, "", 45.0f + static_cast<float>(id % 500) / 100.0f,
                           1.0f + static_cast<float>(id % 300) / 100.0f, EtatCommunePays);
                module.UpdateCoordGeo(&g);
            }
            t.Valide();
        }
        return geolocalisee_;
    }

    // A base of 1,000,000 events over 20,000 places, a fifth of them with a lieu-dit.
    const fs::path& BaseMillionEvenements() {
        if (million_.empty()) {
            million_ = dossier_ / "million.sqlite";
            TContenuImport c;
            c.NomFichier = "million.ged";
            c.Evenements.resize(1000000);
            for (std::size_t i = 0; i < c.Evenements.size(); ++i) {
                auto& e = c.Evenements[i];
                const std::size_t lieu = (i * 7919) % 20000;
                e.LignePlac = static_cast<long>(i + 1);
                e.Etiquette = "BIRT";
                e.Lieu.Commune = "Commune " + std::to_string(lieu);
                e.Lieu.CodeInsee = std::to_string(10000 + lieu);
                e.Lieu.Pays = "France";
                if (i % 5 == 0) e.LieuDit = "Lieu-dit " + std::to_string(i % 97);
            }
            CreeBase(c, million_);
        }
        return million_;
    }

    ~BaseBanc() {
        std::error_code ec;
        fs::remove_all(dossier_, ec);
    }
    BaseBanc(const BaseBanc&) = delete;
    BaseBanc& operator=(const BaseBanc&) = delete;

private:
    BaseBanc() {
        std::string modele = (fs::temp_directory_path() / "orlavine-banc-XXXXXX").string();
        dossier_ = ::mkdtemp(modele.data());
        fichier_ = dossier_ / "arbre.ged";
        std::ofstream(fichier_, std::ios::binary) << GenereGedcom();
    }
    fs::path dossier_;
    fs::path fichier_;
    fs::path geolocalisee_;
    fs::path million_;
};

void BM_ImporteBase(benchmark::State& etat) {
    BaseBanc& banc = BaseBanc::Instance();
    OptionsImportGedcom options;
    options.Remplacer = true;
    TComptesBase comptes;
    for (auto _ : etat)
        comptes = ImporteGedcom(banc.Fichier(), banc.Chemin("b.sqlite"), options).Comptes;
    etat.counters["evenements"] = static_cast<double>(comptes.Evenements);
    etat.counters["lieux"] = static_cast<double>(comptes.Lieux);
    etat.SetBytesProcessed(static_cast<std::int64_t>(etat.iterations()) *
                           static_cast<std::int64_t>(fs::file_size(banc.Fichier())));
}
BENCHMARK(BM_ImporteBase)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

// Peak memory of one import, measured in a child process that does nothing else.
void BM_ImporteBaseMemoire(benchmark::State& etat) {
    BaseBanc& banc = BaseBanc::Instance();
    double picMo = 0;
    for (auto _ : etat) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            OptionsImportGedcom options;
            options.Remplacer = true;
            try {
                ImporteGedcom(banc.Fichier(), banc.Chemin("memoire.sqlite"), options);
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        int statut = 0;
        rusage usage{};
        ::wait4(pid, &statut, 0, &usage);
        if (!WIFEXITED(statut) || WEXITSTATUS(statut) != 0) {
            etat.SkipWithError("l'import a échoué");
            break;
        }
        picMo = static_cast<double>(usage.ru_maxrss) / 1024.0;
    }
    etat.counters["pic_Mo"] = picMo;
}
BENCHMARK(BM_ImporteBaseMemoire)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExporteBase(benchmark::State& etat) {
    BaseBanc& banc = BaseBanc::Instance();
    TBaseGenealogie base(banc.BaseGeolocalisee());
    std::size_t modifies = 0;
    for (auto _ : etat)
        modifies = ExporteGedcom(base, banc.Chemin("sortie.ged")).Ecrits;
    etat.counters["plac_modifies"] = static_cast<double>(modifies);
}
BENCHMARK(BM_ExporteBase)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ParcoursParLieu(benchmark::State& etat) {
    BaseBanc& banc = BaseBanc::Instance();
    TBaseGenealogie base(banc.BaseMillionEvenements(), true);
    TFicEvens fichier(base);
    long somme = 0;
    int n = 0;
    for (auto _ : etat) {
        TEvenement ev(&fichier, -3);
        n = fichier.PreProcessSearch("", "ParLieu", 1, false);
        for (int k = 0; k < n; ++k) {
            fichier.GetEvenParcours(ev, -1);
            somme += ev.IdPlace + static_cast<long>(ev.LieuDit.size());
        }
        fichier.PostProcessSearch();
    }
    benchmark::DoNotOptimize(somme);
    etat.counters["evenements"] = n;
}
BENCHMARK(BM_ParcoursParLieu)->Unit(benchmark::kMillisecond)->UseRealTime();

// The place tool's whole list over the same base (table, places, 1,000,000 events).
void BM_ListeOutilLieux(benchmark::State& etat) {
    BaseBanc& banc = BaseBanc::Instance();
    TBaseGenealogie base(banc.BaseMillionEvenements(), true);
    TGestFichier gestion(base);
    std::size_t entrees = 0;
    for (auto _ : etat)
        entrees = InitListPlaces(gestion).size();
    etat.counters["entrees"] = static_cast<double>(entrees);
}
BENCHMARK(BM_ListeOutilLieux)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

} // namespace orlavine
