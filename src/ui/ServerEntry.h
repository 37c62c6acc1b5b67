#pragma once

#include <QPixmap>
#include <QString>

// One server as the main window shows it: the service's record strings, the
// measured round-trip text and the flag. Field names follow the service's
// own keys so the record copies over one to one.
struct ServerEntry
{
    QString name;
    QString hostname;
    QString country_code;
    QString country;
    QString latitude;
    QString longitude;
    QString ovpn;
    QString crt;
    QString image;
    QString ping;
    QPixmap flag;
};
