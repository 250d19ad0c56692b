// An upward include, which the layer check must refuse.
#include "frame/dispatch.h"
