#pragma once

#include <QString>
#include <QStringList>

// A Polish address as e-invoices write it (AdresL1, AdresL2: free lines) taken apart into the
// parts of a tax file's header. What cannot be recognised stays empty.
struct PolishAddress
{
    QString street; // without "ul."; "al. …", "pl. …", "os. …" keep their word
    QString house;
    QString flat;
    QString postalCode;
    QString town;
};

// Recognises "ul. Kwiatowa 1 m. 2", "al. Jerozolimskie 12A/3", "Rynek 3 lok. 4", "00-001 Warszawa",
// and all of it on one line ("ul. X 5, 00-950 Warszawa").
PolishAddress parsePolishAddress(const QStringList &lines);
