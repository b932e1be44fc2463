#pragma once

#include "app/Seams.h"

// The keyring seam on QtKeychain: the secret service of a Linux desktop
// (gnome-keyring, KWallet), the Windows credential store. Never the
// plain-text fallback: without a keyring nothing is kept.
Keyring desktopKeyring();
