// A minimal HTTP/1.1 server on 127.0.0.1 for the tests of the online paths: it notes every
// request (path, User-Agent, conditional or not, when it came) and answers what Repond gives,
// one request per connection. The tests never reach the network. An answer can also be sent
// the way a misbehaving service sends it (Envoi): late, a byte at a time, huge or endless,
// always bounded in size and time so that a test that fails still ends.
#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>

namespace orlavine::test {

class ServeurHttpEssai : public QObject {
public:
    struct Requete {
        QString Chemin;
        QByteArray UserAgent;
        bool Conditionnelle = false; // If-Modified-Since or If-None-Match
        std::chrono::steady_clock::time_point Heure;
    };

    // On 127.0.0.1, or another loopback address (127.0.0.2: "another host" for the tests).
    explicit ServeurHttpEssai(const QHostAddress& hote = QHostAddress(QHostAddress::LocalHost)) {
        serveur_.listen(hote, 0);
        connect(&serveur_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = serveur_.nextPendingConnection()) {
                ++ouvertes_;
                MaxSimultanees = std::max(MaxSimultanees, ouvertes_);
                connect(s, &QTcpSocket::readyRead, this, [this, s] { Lit(s); });
                connect(s, &QTcpSocket::disconnected, this, [this, s] {
                    --ouvertes_;
                    tampons_.remove(s);
                    s->deleteLater();
                });
            }
        });
    }
    // Connections still open (an answer still trickling) go without calling back.
    ~ServeurHttpEssai() override {
        for (QTcpSocket* s : serveur_.findChildren<QTcpSocket*>()) {
            s->disconnect();
            s->abort();
        }
    }
    // "http://127.0.0.1:<port>"
    QString Adresse() const {
        return QStringLiteral("http://%1:%2")
            .arg(serveur_.serverAddress().toString())
            .arg(serveur_.serverPort());
    }
    bool Ecoute() const { return serveur_.isListening(); }

    QList<Requete> Requetes;
    int MaxSimultanees = 0;
    qint64 OctetsEnvoyes = 0; // bytes written to the sockets, all answers together

    // How an answer goes out: after `AttenteMs`, `Debut`, then `Morceau` `Fois` times (one per
    // `IntervalleMs`, or as fast as the client takes them when 0), then `Fin`, then the
    // connection is closed. Stops early when the client goes.
    struct Envoi {
        QByteArray Debut;
        QByteArray Morceau;
        qint64 Fois = 0;
        int IntervalleMs = 0;
        int AttenteMs = 0;
        QByteArray Fin;
    };
    // A whole answer at once.
    static Envoi EnUneFois(const QByteArray& reponse) {
        Envoi e;
        e.Debut = reponse;
        return e;
    }
    // `octets` bytes of `remplissage` then `corps`, with or without a Content-Length (without:
    // the body ends when the connection closes).
    static Envoi Enorme(const QByteArray& corps, qint64 octets, bool annonce,
                        char remplissage = ' ') {
        const QByteArray morceau(1 << 16, remplissage);
        const qint64 fois = (octets + morceau.size() - 1) / morceau.size();
        QByteArray entetes = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n";
        if (annonce)
            entetes +=
                "Content-Length: " + QByteArray::number(fois * morceau.size() + corps.size()) +
                "\r\n";
        return {entetes + "Connection: close\r\n\r\n", morceau, fois, 0, 0, corps};
    }
    // A chunked answer that would go on for `octets` bytes (a test bound: "endless").
    static Envoi SansFin(qint64 octets) {
        const QByteArray donnees(1 << 16, ' ');
        const QByteArray morceau =
            QByteArray::number(donnees.size(), 16) + "\r\n" + donnees + "\r\n";
        return {"HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n",
                morceau,
                octets / donnees.size(),
                0,
                0,
                "0\r\n\r\n"};
    }
    // `octets` spaces, one every `intervalleMs`, then `corps`: a whole, valid answer in the end.
    static Envoi Goutte(const QByteArray& corps, qint64 octets, int intervalleMs) {
        return {"HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                    QByteArray::number(octets + corps.size()) + "\r\nConnection: close\r\n\r\n",
                " ",
                octets,
                intervalleMs,
                0,
                corps};
    }

    // "200 OK", its headers and body: a whole answer, "Connection: close" added.
    static QByteArray Reponse(const QByteArray& statut, const QByteArray& entetes,
                              const QByteArray& corps) {
        return "HTTP/1.1 " + statut + "\r\n" + entetes +
               "Content-Length: " + QByteArray::number(corps.size()) +
               "\r\nConnection: close\r\n\r\n" + corps;
    }

protected:
    virtual QByteArray Repond(const Requete& r) = 0;
    // How to send the answer; by default Repond's at once.
    virtual Envoi RepondEnvoi(const Requete& r) { return EnUneFois(Repond(r)); }

private:
    void Lit(QTcpSocket* s) {
        QByteArray& tampon = tampons_[s];
        tampon += s->readAll();
        const qsizetype fin = tampon.indexOf("\r\n\r\n");
        if (fin < 0) return;
        const QList<QByteArray> lignes = tampon.left(fin).split('\n');
        tampon.remove(0, fin + 4);
        Requete r{QString::fromLatin1(lignes[0].split(' ').value(1)),
                  {},
                  false,
                  std::chrono::steady_clock::now()};
        for (const QByteArray& l : lignes) {
            const QByteArray minuscule = l.trimmed().toLower();
            if (minuscule.startsWith("user-agent:")) r.UserAgent = l.trimmed().mid(11).trimmed();
            if (minuscule.startsWith("if-modified-since:") ||
                minuscule.startsWith("if-none-match:"))
                r.Conditionnelle = true;
        }
        Requetes.push_back(r);
        const Envoi e = RepondEnvoi(r);
        if (e.AttenteMs > 0)
            QTimer::singleShot(e.AttenteMs, s, [this, s, e] { Envoie(s, e); });
        else
            Envoie(s, e);
    }

    void Ecrit(QTcpSocket* s, const QByteArray& octets) {
        OctetsEnvoyes += octets.size();
        s->write(octets);
    }

    void Envoie(QTcpSocket* s, const Envoi& e) {
        Ecrit(s, e.Debut);
        if (e.Fois <= 0) {
            Ecrit(s, e.Fin);
            s->disconnectFromHost();
            return;
        }
        auto reste = std::make_shared<qint64>(e.Fois);
        QPointer<QTcpSocket> p(s);
        // One piece; at the last, the end and the close.
        auto suivant = [this, p, reste, e] {
            if (!p || p->state() != QAbstractSocket::ConnectedState || *reste <= 0) return false;
            Ecrit(p, e.Morceau);
            if (--*reste == 0) {
                Ecrit(p, e.Fin);
                p->disconnectFromHost();
                return false;
            }
            return true;
        };
        if (e.IntervalleMs > 0) {
            auto* minuterie = new QTimer(s);
            connect(minuterie, &QTimer::timeout, s, [minuterie, suivant] {
                if (!suivant()) minuterie->stop();
            });
            minuterie->start(e.IntervalleMs);
            return;
        }
        // As fast as the client reads: a little ahead of what it took.
        auto remplit = [p, suivant] {
            while (p && p->bytesToWrite() < (1 << 18) && suivant()) {
            }
        };
        connect(s, &QTcpSocket::bytesWritten, s, remplit);
        remplit();
    }

    QTcpServer serveur_;
    QHash<QTcpSocket*, QByteArray> tampons_;
    int ouvertes_ = 0;
};

} // namespace orlavine::test
