#include "structure/FMolecule.h"

template class FMolecule<Atom>;
