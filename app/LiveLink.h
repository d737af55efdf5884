#pragma once

#include <QWidget>

class QLabel;

// The live results' address and its QR code on the main window, shown
// while the server serves and hidden otherwise; a click asks for the
// dialog "Live-Ergebnisse im Netzwerk".
class LiveLink : public QWidget
{
    Q_OBJECT
public:
    explicit LiveLink(QWidget* parent = nullptr);

    // "http://192.168.1.20:8080/"; empty hides the link.
    void SetAddress(const QString& address);
    QString Address() const { return address_; }

    QLabel* code;
    QLabel* text;

Q_SIGNALS:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QString address_;
};
