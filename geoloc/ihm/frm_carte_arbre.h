// TFormCarteArbre: « Carte de l'arbre ». Every located place of the base on the world map, a
// disk whose area grows with its number of events, coloured by its state, the places with
// the most events labelled; framed on the whole tree or on France alone, zoomed with the
// wheel or the buttons, moved by dragging. A click lists the places under the mouse (text,
// state, provenance, events) in the side panel; a double click asks to open the place in the
// place tool. « Enregistrer l'image… » writes what the map shows as PNG, SVG or PDF, through
// the same drawing as `orlavine-cli base carte`.
#pragma once

#include "geoloc/carte_arbre.h"

#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

class QImage;
class QLabel;
class QPainter;
class QPushButton;
class QRadioButton;
class QTextBrowser;

namespace orlavine {

class TCarteFrance;
class TBaseGenealogie;

namespace monde {
class TCarteMonde;
struct TDonneesMonde;
} // namespace monde

// The map itself: draws the tree map of its view, zooms, pans and reports clicks.
class TVueCarteArbre : public QWidget {
    Q_OBJECT

public:
    explicit TVueCarteArbre(QWidget* parent = nullptr);

    // What to draw (not owned; null: nothing yet) and the world beneath (may be null).
    void FixeCarte(const geoloc::TCarteArbre* carte, monde::TCarteMonde* fond);
    // Frames the whole tree or France alone, at the widget's size; framed again at each
    // resize until the user zooms or moves the map.
    void Cadre(bool franceSeule);
    // Multiplies the scale around the widget point (x, y).
    void Zoome(double facteur, double x, double y);
    const monde::TVueMonde& Vue() const { return vue_; }
    // The page of the last paint (where the disks and labels went), for clicks and tests.
    const geoloc::TMiseEnPageArbre& Page() const { return page_; }
    // The map as the widget shows it, painted onto an image (the page is kept).
    QImage Rendu();
    // The places under the widget point, the one on top first.
    std::vector<std::uint32_t> LieuxSous(double x, double y) const;

signals:
    void Clic(double x, double y);
    void DoubleClic(double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void Peint(QPainter& painter);

    const geoloc::TCarteArbre* carte_ = nullptr;
    monde::TCarteMonde* fond_ = nullptr;
    monde::TVueMonde vue_;
    geoloc::TMiseEnPageArbre page_;
    bool cadreAuto_ = true;
    bool franceSeule_ = false;
    bool bouton_ = false, glisse_ = false;
    QPoint appui_, dernier_;
};

struct TParametresCarteArbre {
    std::filesystem::path FichierMonde;  // the world file; unreadable: the sea only, said so
    const TCarteFrance* Atlas = nullptr; // departments of France (not owned); may be null
};

class TFormCarteArbre : public QWidget {
    Q_OBJECT

public:
    // `base` must outlive the window.
    TFormCarteArbre(TBaseGenealogie& base, const TParametresCarteArbre& params,
                    QWidget* parent = nullptr);
    ~TFormCarteArbre() override;

    // Reads the base's located places again and frames them (done when the window is first
    // shown); the status line says how many are on the map and how many have no position.
    void Charge();
    bool Chargee() const { return carte_.has_value(); }
    const geoloc::TCarteArbre* Carte() const { return carte_ ? &*carte_ : nullptr; }
    // « France seule » or « Tout l'arbre ».
    void FixeFranceSeule(bool franceSeule);
    // Lists the places under the map point (x, y) in the side panel; true when there is one.
    bool Selectionne(double x, double y);
    // Writes what the map shows to `chemin` (PNG, SVG or PDF by the extension); false after
    // saying why.
    bool Enregistre(const QString& chemin);
    // The places listed by the last click, the one on top first.
    const std::vector<std::uint32_t>& Selection() const { return selection_; }

    // A double click on a place: its record number and lieu-dit (UTF-8).
    std::function<void(int idPlace, const std::string& lieuDit)> OuvrirLieu;
    // Error messages (a message box; tests replace it).
    std::function<void(const QString& texte)> MessageErreur;

    TVueCarteArbre* Vue;
    QRadioButton* RBTout;
    QRadioButton* RBFrance;
    QPushButton* BtPlus;
    QPushButton* BtMoins;
    QPushButton* BtEnregistrer;
    QPushButton* BtFermer;
    QTextBrowser* Details;
    QLabel* LbEtat;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void DoubleClic(double x, double y);
    QString DescriptionLieu(const geoloc::TLieuExporte& lieu) const;
    void EnregistrerSous();

    TBaseGenealogie& base_;
    std::shared_ptr<const monde::TDonneesMonde> donnees_;
    std::unique_ptr<monde::TCarteMonde> fond_;
    QString erreurFond_;
    std::optional<geoloc::TCarteArbre> carte_;
    std::vector<std::uint32_t> selection_;
    bool premierAffichage_ = true;
};

} // namespace orlavine
