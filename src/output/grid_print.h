#pragma once

#include "output/printing.h"

class LogGridModel;
class QPrinter;

// Prints the listing of print_lines in the print font at 12 points, starting a new page when one is
// full, and ends the document, which hands it to the printer.
PrintOutcome Print_Grid(const LogGridModel& grid, QPrinter& printer);
