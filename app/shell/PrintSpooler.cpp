#include "PrintSpooler.h"

#include <cups/cups.h>

namespace {

// A queue name may carry an instance: "queue/instance".
cups_dest_t* NamedDest(const std::string& name)
{
    const size_t slash = name.find('/');
    const std::string queue = name.substr(0, slash);
    const std::string instance = slash == std::string::npos ? std::string() : name.substr(slash + 1);
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.empty() ? nullptr : queue.c_str(),
                                         instance.empty() ? nullptr : instance.c_str());
    return dest;
}

} // namespace

std::string CPrintSpooler::DefaultPrinter()
{
    cups_dest_t* dest = NamedDest(std::string());
    if (!dest)
        return std::string();
    std::string name = dest->name ? dest->name : "";
    if (dest->instance && *dest->instance)
        name += std::string("/") + dest->instance;
    cupsFreeDests(1, dest);
    return name;
}

bool CPrintSpooler::HasPrinter(const std::string& name)
{
    if (name.empty())
        return false;
    cups_dest_t* dest = NamedDest(name);
    if (!dest)
        return false;
    cupsFreeDests(1, dest);
    return true;
}

bool CPrintSpooler::Submit(const std::string& printer, const std::string& pdfPath,
                           const std::string& title, int& job, std::string& error)
{
    // The queue's (or its instance's) own options go with the job.
    cups_dest_t* dest = NamedDest(printer);
    if (!dest) {
        error = "no printer named " + printer;
        job = 0;
        return false;
    }
    job = cupsPrintFile(dest->name, pdfPath.c_str(), title.c_str(), dest->num_options,
                        dest->options);
    cupsFreeDests(1, dest);
    if (job > 0)
        return true;
    const char* why = cupsLastErrorString();
    error = why && *why ? why : "the print system refused the job";
    return false;
}
