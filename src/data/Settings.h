#pragma once

#include "data/Status.h"

#include <QSqlDatabase>
#include <QtGlobal>

// The business defaults held in memory for the whole run: the rates as fractions
// (7.25 % is 0.0725) and the reorder-reminder quantity. All 0 until loaded.
struct Settings
{
    double TaxRate = 0;
    double ShippingRate = 0;
    double ShippingOOTRate = 0;
    qint16 ReminderQty = 0;

    // The program-wide values every reader uses.
    static Settings &current();
};

// Fills Settings::current() from the first row of the admin table. An empty rate
// counts as 0. A missing row (or table) is a failure; the settings then keep
// their values.
Status LoadSettings(QSqlDatabase db);

// The stored form of the defaults, as the administrative screen edits them.
struct AdminValues
{
    double tax = 0;          // percent
    double shipping = 0;
    double shippingoot = 0;
    qint64 invReminderqty = 0;
};

// Reads the admin row as stored.
Status readAdminValues(QSqlDatabase db, AdminValues &values);
// Writes the admin row and, once it is stored, sets the in-memory settings from it.
Status saveAdminValues(QSqlDatabase db, const AdminValues &values);
