// Reading and writing a generated GEDCOM file of 1,000,000 lines (60,000 individuals, 20,000
// places) in UTF-8, Windows-1252 and ANSEL, in memory and by pieces.
#include "bench/generateur_gedcom.h"
#include "genealogie/gedcom.h"

#include <benchmark/benchmark.h>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace orlavine {

namespace {

const std::string& Arbre(Encodage e) {
    static std::map<Encodage, std::string> arbres;
    auto it = arbres.find(e);
    if (it == arbres.end()) it = arbres.emplace(e, GenereGedcom({}, e)).first;
    return it->second;
}

Encodage EncodageBanc(std::int64_t n) {
    return n == 0 ? Encodage::Utf8 : n == 1 ? Encodage::Windows1252 : Encodage::Ansel;
}

void BM_LitGedcom(benchmark::State& etat) {
    const std::string& octets = Arbre(EncodageBanc(etat.range(0)));
    std::size_t lieux = 0;
    for (auto _ : etat) {
        etat.PauseTiming();
        std::string copie = octets;
        etat.ResumeTiming();
        DocumentGedcom d = LitGedcom(std::move(copie), "banc.ged");
        lieux = d.Lieux.size();
        if (d.Lignes.size() != 1000000 || d.Individus != 60000) {
            etat.SkipWithError("le fichier relu n'a pas la taille écrite");
            break;
        }
        etat.PauseTiming();
        d = DocumentGedcom(); // freeing the document is not part of the reading
        etat.ResumeTiming();
    }
    etat.counters["lieux"] = static_cast<double>(lieux);
    etat.SetBytesProcessed(static_cast<std::int64_t>(etat.iterations() * octets.size()));
    etat.SetLabel(NomEncodage(EncodageBanc(etat.range(0))));
}
BENCHMARK(BM_LitGedcom)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The same reading by pieces, as the import does it (the places handed over one by one).
void BM_LitGedcomFlux(benchmark::State& etat) {
    const std::string& octets = Arbre(EncodageBanc(etat.range(0)));
    std::size_t lieux = 0;
    for (auto _ : etat) {
        SourceTexte source(octets);
        RecepteurGedcom recepteur;
        std::size_t n = 0;
        recepteur.Lieu = [&](LieuEvenement&) { ++n; };
        const DocumentGedcom d = LitGedcomFlux(source, "banc.ged", recepteur);
        lieux = n;
        if (d.Individus != 60000) {
            etat.SkipWithError("le fichier relu n'a pas la taille écrite");
            break;
        }
    }
    etat.counters["lieux"] = static_cast<double>(lieux);
    etat.SetBytesProcessed(static_cast<std::int64_t>(etat.iterations() * octets.size()));
    etat.SetLabel(NomEncodage(EncodageBanc(etat.range(0))));
}
BENCHMARK(BM_LitGedcomFlux)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Export after geolocation: a position for every PLAC that had none (about two thirds of
// them), the rest of the file copied.
void BM_EcritGedcom(benchmark::State& etat) {
    const DocumentGedcom d = LitGedcom(Arbre(Encodage::Utf8), "banc.ged");
    std::vector<CoordonneesEvenement> changements;
    for (const LieuEvenement& l : d.Lieux)
        if (!l.Coordonnees) changements.push_back({l.LignePlac, 47.123456, -2.5, false});
    std::size_t taille = 0;
    for (auto _ : etat) {
        const std::string sortie = EcritGedcom(d, changements);
        taille = sortie.size();
        benchmark::DoNotOptimize(sortie.data());
    }
    etat.counters["changements"] = static_cast<double>(changements.size());
    etat.SetBytesProcessed(static_cast<std::int64_t>(etat.iterations() * taille));
}
BENCHMARK(BM_EcritGedcom)->Unit(benchmark::kMillisecond);

// Export with nothing changed: the imported bytes themselves.
void BM_EcritGedcomSansChangement(benchmark::State& etat) {
    const DocumentGedcom d = LitGedcom(Arbre(Encodage::Utf8), "banc.ged");
    for (auto _ : etat) {
        const std::string sortie = EcritGedcom(d, {});
        if (sortie.size() != d.Octets.size()) {
            etat.SkipWithError("export différent");
            break;
        }
        benchmark::DoNotOptimize(sortie.data());
    }
}
BENCHMARK(BM_EcritGedcomSansChangement)->Unit(benchmark::kMillisecond);

} // namespace

} // namespace orlavine
