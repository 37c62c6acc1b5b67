#pragma once

#include <QLoggingCategory>

// The tunnel subsystem's log category, shared by Protocol's source files.
Q_DECLARE_LOGGING_CATEGORY(lcTunnel)
