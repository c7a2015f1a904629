#include "state/records.h"
