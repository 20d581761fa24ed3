#include "analysis/run.h"

int main() { analysis::run(); }
