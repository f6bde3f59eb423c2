#pragma once
// Catalogue formats built in memory for tests.

#include "catalogue/UPenF.h"

#include <initializer_list>
#include <memory>
#include <utility>

// A format with standard tiers given as {from count, price in cents}.
inline std::unique_ptr<TFormaat> MakeFormat(const QString &naam, double breedte, double lengte, bool glansMatKeuze,
                                            std::initializer_list<std::pair<int, int>> tiersCents)
{
    auto f = std::make_unique<TFormaat>();
    f->Naam = naam;
    f->Omschrijving = naam;
    f->Breedte = breedte;
    f->Lengte = lengte;
    f->GlansMatKeuze = glansMatKeuze ? 1 : 0;
    for (auto [from, cents] : tiersCents)
        f->Prijzen.append(TPrijsTrede{uint16_t(from), TCurrency::fromCents(cents)});
    return f;
}
