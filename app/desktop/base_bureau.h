// The genealogy base in the desktop program: open a base, import a GEDCOM file into a new base
// (with a progress bar and a cancel button), export the base as GEDCOM; the last base opened
// is remembered (key "Base/Derniere" of the program's settings) and opened again at the next
// start.
#pragma once

#include "genealogie/base.h"

#include <QString>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QMenu;
class QWidget;

namespace orlavine {

class TCarteArbreBureau;
class TFormCarteArbre;
class TFormToolLocation;
class TOutilLieux;

class BaseBureau {
public:
    BaseBureau(QWidget* fenetre, std::string dossierAtlas);
    ~BaseBureau();

    // "Ouvrir une base...", "Importer un fichier GEDCOM...", "Exporter en GEDCOM...",
    // « Outil de géolocalisation des lieux… » and « Carte de l'arbre » (only while a base is
    // open), owned by the window.
    QMenu* Menu();
    QAction* ActionOutilLieux() const { return outilLieux_; }
    QAction* ActionCarteArbre() const { return carteArbre_; }

    // Opens a base; on failure (not a base, damaged) the message is shown, the previous base
    // stays open and stays the one remembered.
    bool Ouvre(const QString& chemin);
    // The last base, when there is one and it still exists (silent when it was removed).
    void OuvreDerniere();
    // Imports `gedcom` into a new base `base` and opens it; `remplacer` allows overwriting.
    bool Importe(const QString& gedcom, const QString& base, bool remplacer);
    bool Exporte(const QString& sortie);
    // Asks where to create the base of `gedcom` (empty: asks for the file first), then imports.
    void Importer(const QString& gedcom = {});

    // Shows the place tool on the open base: one window, made on first use and shown again
    // afterwards; closed when another base is opened. Nothing without a base.
    void OuvreOutilLieux();
    // The same, with this place and lieu-dit selected under the filter that lists it.
    void OuvreOutilLieux(int idPlace, const std::string& lieuDit);
    // The place tool's window while it exists.
    TFormToolLocation* OutilLieux() const;

    // Shows the map of the whole tree of the open base: one window, made on first use, its
    // places read again each time it is opened; a double click on a place opens it in the
    // place tool. Closed when another base is opened. Nothing without a base.
    void OuvreCarteArbre();
    TFormCarteArbre* CarteArbre() const;

    TBaseGenealogie* Base() const { return base_.get(); }
    // Shows a message (a message box; the tests and captures replace it).
    std::function<void(const QString& texte, bool erreur)> AfficheMessage;
    // Called after a base was opened or imported (title of the window...).
    std::function<void(const QString& chemin)> BaseOuverte;

private:
    void Ouvrir();
    void Exporter();
    void Retient(const QString& chemin);
    // Closes the tree map, the place tool and the base, in that order (the windows work on
    // the base).
    void FermeBase();
    // The actions that need a base, enabled while one is open.
    void ActualiseActions();

    QWidget* fenetre_;
    std::string dossierAtlas_;
    std::unique_ptr<TBaseGenealogie> base_;
    // Made after the base and gone before it.
    std::unique_ptr<TOutilLieux> outil_;
    std::unique_ptr<TCarteArbreBureau> carte_;
    QMenu* menu_ = nullptr;
    QAction* exporter_ = nullptr;
    QAction* outilLieux_ = nullptr;
    QAction* carteArbre_ = nullptr;
};

} // namespace orlavine
