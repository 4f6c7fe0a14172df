#include "afx/argument_vector.h"

void FillArgumentVector() {}
