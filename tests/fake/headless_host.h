// The headless renderer's host, shared with the tests so both drive the saver window alike.
#pragma once

#include "../../tools/render/headless_host.h"
