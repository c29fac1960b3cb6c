#pragma once

#include <QString>

// Right after a listing was handed to the system's print queue (the end of a
// QPainter on a native QPrinter): "" when the queue accepted the job,
// otherwise the queue's reason. Qt does not report a refused job itself.
QString lastQueueRefusal();

// True when the system offers a print queue: the print dialog has a printer
// to choose. Without one a print can only go into a file.
bool printQueueExists();
