#pragma once

#include "data/Mailto.h"

#include <QString>

// Hands an address to the desktop (the default mail program for mailto:).
// The result is not examined by the screens; it is returned for tests.
bool Navigate(const QString &address);
// Builds the encoded mailto: address of `message` and opens it.
bool Navigate(const MailMessage &message);
