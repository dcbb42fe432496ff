#include "transport/Atapi.h"
