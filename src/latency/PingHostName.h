#pragma once

#include <QString>

// Whether a host name from the service may be handed to the ping command:
// only letters, digits, dots, hyphens and colons (IPv6), not starting with a
// hyphen (it would read as an option) and no longer than a DNS name can be.
// Anything else never reaches a command line.
bool isProbeableHostName(const QString &hostName);
