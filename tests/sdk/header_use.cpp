// header_use.c again, as C++.
#include "header_use.c"
