#pragma once

#include <string>

// The system's print queues (CUPS): which printer is the default, whether
// one exists, and handing a finished PDF to a queue as a job.
class CPrintSpooler
{
public:
    // Whether the print system's library could be loaded (it is opened on
    // first use; without it there are no queues).
    static bool IsAvailable();
    // The default queue's name; empty when there is none (or no print
    // system is running).
    static std::string DefaultPrinter();
    // Whether a queue of this name (an instance after '/') exists.
    static bool HasPrinter(const std::string& name);
    // Queues the PDF file as a job titled title. True when the print system
    // took the job (its id in job); else false with its reason.
    static bool Submit(const std::string& printer, const std::string& pdfPath,
                       const std::string& title, int& job, std::string& error);
};
