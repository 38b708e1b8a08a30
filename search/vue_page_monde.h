// The world map page's widgets as its logic sees them (private to the main window's files).
#pragma once

#include "geoloc/page_monde.h"
#include "mapview/ansi_qt.h"
#include "mapview/geocodage.h"
#include "mapview/web_osmaps.h"
#include "search/form_ihm2.h"
#include "search/page_navigateur.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>

namespace orlavine {

// The window's widgets as the page's logic sees them.
class TVueFenetreMonde final : public geoloc::IVuePageMonde {
public:
    explicit TVueFenetreMonde(TFormIhm2& f) : f_(f) {}

    void AfficheLieu(const std::string& texte) override { f_.lbPlace->setText(Q(texte)); }
    void AffichePanneau(bool visible) override {
        f_.panneauVisible_ = visible;
        f_.PanelSearchPlace->setVisible(visible);
    }
    void AffichePosition(const std::string& texte) override { f_.LbLatLong->setText(Q(texte)); }
    void AfficheValidation(bool validee) override {
        f_.btValidate->setVisible(!validee);
        f_.LabelValidate->setVisible(validee);
    }
    std::string TexteAdresse() const override { return f_.cbAddress->currentText().toStdString(); }
    void FixeTexteAdresse(const std::string& texte) override {
        f_.cbAddress->setEditText(Q(texte));
    }
    void AjouteAdresse(const std::string& texte) override { f_.cbAddress->addItem(Q(texte)); }
    void RemplitAdresses(const std::vector<std::string>& entrees, int choisi) override {
        f_.cbAddress->clear();
        for (const std::string& e : entrees)
            f_.cbAddress->addItem(Q(e));
        f_.cbAddress->setCurrentIndex(choisi);
        if (choisi < 0) f_.cbAddress->setEditText({});
    }
    std::string TexteVille1() const override {
        return f_.zeVille1 ? f_.zeVille1->text().toStdString() : std::string();
    }
    geoloc::TPageFenetre PageCourante() const override {
        QWidget* page = f_.AdvOfficePagerMain->currentWidget();
        if (page == f_.PageMapGoogle) return geoloc::TPageFenetre::Navigateur;
        if (page == f_.PageMapFrance) return geoloc::TPageFenetre::Communes;
        return geoloc::TPageFenetre::Monde;
    }
    void MontrePageMonde() override {
        const QSignalBlocker bloque(f_.AdvOfficePagerMain);
        f_.AdvOfficePagerMain->setCurrentWidget(f_.PageMapWorld);
        f_.AdvOfficePagerMainChange();
    }
    void ChangementPage() override { f_.AdvOfficePagerMainChange(); }
    void RelanceAttenteCarte() override { f_.TimerMapLoaded->start(); }
    void Message(const std::string& texte) override {
        if (f_.AfficheMessage) f_.AfficheMessage(Q(texte));
    }

    bool CartePrete() const override { return f_.WebOSMaps && f_.WebOSMaps->Pret(); }
    void CentreCarte(double latitude, double longitude) override {
        f_.WebOSMaps->ArcGisMapCenterAt(latitude, longitude);
    }
    void ChercheAdresseCarte(const std::string& texte) override {
        f_.WebOSMaps->ArcGisMapSearchAdress(Q(texte));
    }
    void ChercheLieuCarte(double latitude, double longitude) override {
        f_.WebOSMaps->ArcGisMapGetAddress(latitude, longitude);
    }

    bool NavigateurPresent() const override { return f_.Navigateur != nullptr; }
    void ChargeNavigateur(const std::string& url) override {
        if (f_.Navigateur) f_.Navigateur->LoadUrl(url);
    }
    std::string AdresseNavigateur() const override {
        return f_.Navigateur ? f_.Navigateur->CurrentUrl() : std::string();
    }
    geoloc::TReponseRelocalisation DemandeRelocalisation(const std::string& question) override {
        return f_.DemandeRelocalisation(Q(question));
    }
    bool Confirme(const std::string& question) override {
        return f_.DemandeConfirmation && f_.DemandeConfirmation(Q(question));
    }
    void AfficheEtatRecherche(const std::string& texte) override {
        f_.LbEtatRecherche->setText(Q(texte));
        f_.LbEtatRecherche->setVisible(!texte.empty());
    }
    bool ReponseEnLigne() const override { return f_.WebOSMaps->CreditEnLigne(); }
    std::vector<geoloc::TCandidatPage> Homonymes(const std::string& texte) override {
        std::vector<geoloc::TCandidatPage> candidats;
        if (IGeocodage* g = f_.WebOSMaps->Geocodage()) {
            try {
                for (const TCandidatCarte& c : g->Homonymes(texte))
                    candidats.push_back({c.Point.Latitude, c.Point.Longitude, c.Libelle});
            } catch (const std::exception& e) {
                Message(e.what());
            }
        }
        return candidats;
    }
    std::string ServiceInjoignable() const override {
        IGeocodage* g = f_.WebOSMaps->Geocodage();
        return g ? g->ServiceInjoignable() : std::string();
    }
    void ProposeCandidats(const std::vector<geoloc::TCandidatPage>& candidats) override {
        const QSignalBlocker bloque(f_.cbCandidats);
        f_.cbCandidats->clear();
        for (const geoloc::TCandidatPage& c : candidats)
            f_.cbCandidats->addItem(
                Q(c.Libelle + " (" + geoloc::TexteLatLong(c.Latitude, c.Longitude, ',') + ")"));
        f_.cbCandidats->setCurrentIndex(-1);
        f_.cbCandidats->setPlaceholderText(
            QStringLiteral("Choisir parmi ces %1 lieux…").arg(candidats.size()));
        f_.cbCandidats->setVisible(!candidats.empty());
    }

private:
    static QString Q(const std::string& texte) { return QString::fromStdString(texte); }
    TFormIhm2& f_;
};

} // namespace orlavine
