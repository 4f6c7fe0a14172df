#include "tests/support/package_builder.h"
