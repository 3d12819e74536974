// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/SensorTypeInfo.h"

namespace {
constexpr SensorTypeInfo kTypes[] = {
    {1, "Temperatur", "Temperature", "\u00B0C", 1},
    {2, "pH-Wert", "pH-value", "pH", 2},
    {3, "Redox", "Redox", "mV", 0},
    {4, "Leitwert", "Conductivity", "uS", 0},
    {5, "Leitwert", "Conductivity", "mS", 1},
    {7, "Humiditaet", "Humidity", "%", 1},
    {8, "Lufttemper.", "Airtempera.", "\u00B0C", 1},
    {9, "Sauerstoff", "Oxygen", "%", 1},
    {10, "Spannung", "Voltage", "V", 2},
    {0, "Kein sensor", "No sensor", "", 0},
};
}  // namespace

const SensorTypeInfo* SensorTypeInfo::Find(int code)
{
    for (const SensorTypeInfo& t : kTypes)
        if (t.code == code)
            return &t;
    return nullptr;
}
