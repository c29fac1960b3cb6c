#include "output/print_queue_status.h"

#include <QPrinterInfo>

#ifdef QUARVENIX_HAVE_CUPS
#include <cups/cups.h>
#endif

QString lastQueueRefusal()
{
#ifdef QUARVENIX_HAVE_CUPS
    // Qt's print engine submits the job with cupsPrintFile as its last call
    // into CUPS and drops the result; CUPS keeps the status for this thread.
    constexpr int kFirstError = 0x0100; // IPP statuses below are successes
    if (int(cupsLastError()) < kFirstError)
        return {};
    return QString::fromLocal8Bit(cupsLastErrorString());
#else
    return {};
#endif
}

bool printQueueExists()
{
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}
