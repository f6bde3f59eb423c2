#pragma once
// A small catalogue for the widget tests, built in memory.
//   locations: Veldmeer, Amstelrade, Zuiderhaven
//   9x13   standard 0,25                      no fast service
//   10x15  standard 0,29 (0,25 from 50)       fast 0,49 at Veldmeer and Zuiderhaven
//   13x18  standard 0,59                      fast 0,89 at Veldmeer
//   Poster standard {0: -1,00}, 12,50         no fast service
//   Groot  standard from 2 prints only        no fast service

#include "catalogue/UPenF.h"

#include <memory>

inline std::unique_ptr<TPenFFile> makeTestCatalogue()
{
    auto c = std::make_unique<TPenFFile>(QString(), 0, 0);
    for (const char *name : {"Veldmeer", "Amstelrade", "Zuiderhaven"})
        c->AddLocation(QString(), QString::fromLatin1(name));
    struct Row {
        const char *naam;
        const char *omschrijving;
        TPrijsLijst standard;
        TPrijsLijst fast;
        QList<int> at;
    };
    const auto ct = [](int cents) { return TCurrency::fromCents(cents); };
    const QList<Row> rows{
        {"9x13", "Klein, voor het album", {{1, ct(25)}}, {}, {}},
        {"10x15", "Het gewone fotoformaat", {{1, ct(29)}, {50, ct(25)}}, {{1, ct(49)}}, {0, 2}},
        {"13x18", "Groot, om in te lijsten", {{1, ct(59)}}, {{1, ct(89)}}, {0}},
        {"Poster", "Prijs op aanvraag", {{0, TCurrency::missing()}, {1, ct(1250)}}, {}, {}},
        {"Groot", "Vanaf twee afdrukken", {{2, ct(300)}}, {}, {}},
    };
    for (const Row &r : rows) {
        auto f = std::make_unique<TFormaat>();
        f->Naam = QString::fromLatin1(r.naam);
        f->Omschrijving = QString::fromUtf8(r.omschrijving);
        f->Prijzen = r.standard;
        f->SnelPrijzen = r.fast;
        for (int k : r.at)
            f->Beschikbaar[size_t(k)] = 1;
        c->AddFormat(std::move(f));
    }
    c->SetDefaultFormat(1);
    return c;
}
