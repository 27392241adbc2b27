#include "PrintSpooler.h"

#include <cups/cups.h>

#include <dlfcn.h>

namespace {

// The print system's library is opened when a queue is first asked for.
// Linked in, it and what it pulls along (TLS, Kerberos, service discovery)
// are loaded and initialised by every run of the program, a few megabytes
// that the batch commands and a window that never prints do not need.
struct SCupsLibrary
{
    decltype(&cupsGetNamedDest) getNamedDest = nullptr;
    decltype(&cupsFreeDests) freeDests = nullptr;
    decltype(&cupsPrintFile) printFile = nullptr;
    decltype(&cupsLastErrorString) lastErrorString = nullptr;

    bool IsLoaded() const { return getNamedDest && freeDests && printFile && lastErrorString; }
};

template <typename Function> void Resolve(void* library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
}

const SCupsLibrary& Cups()
{
    static const SCupsLibrary cups = [] {
        SCupsLibrary loaded;
        // Kept open for the rest of the run: its functions are used from here.
        void* library = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return loaded;
        Resolve(library, "cupsGetNamedDest", loaded.getNamedDest);
        Resolve(library, "cupsFreeDests", loaded.freeDests);
        Resolve(library, "cupsPrintFile", loaded.printFile);
        Resolve(library, "cupsLastErrorString", loaded.lastErrorString);
        return loaded;
    }();
    return cups;
}

// A queue name may carry an instance: "queue/instance". Null when there is
// no such queue or no print system.
cups_dest_t* NamedDest(const std::string& name)
{
    if (!Cups().IsLoaded())
        return nullptr;
    const size_t slash = name.find('/');
    const std::string queue = name.substr(0, slash);
    const std::string instance =
        slash == std::string::npos ? std::string() : name.substr(slash + 1);
    cups_dest_t* dest =
        Cups().getNamedDest(CUPS_HTTP_DEFAULT, queue.empty() ? nullptr : queue.c_str(),
                            instance.empty() ? nullptr : instance.c_str());
    return dest;
}

} // namespace

bool CPrintSpooler::IsAvailable()
{
    return Cups().IsLoaded();
}

std::string CPrintSpooler::DefaultPrinter()
{
    cups_dest_t* dest = NamedDest(std::string());
    if (!dest)
        return std::string();
    std::string name = dest->name ? dest->name : "";
    if (dest->instance && *dest->instance)
        name += std::string("/") + dest->instance;
    Cups().freeDests(1, dest);
    return name;
}

bool CPrintSpooler::HasPrinter(const std::string& name)
{
    if (name.empty())
        return false;
    cups_dest_t* dest = NamedDest(name);
    if (!dest)
        return false;
    Cups().freeDests(1, dest);
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
    job = Cups().printFile(dest->name, pdfPath.c_str(), title.c_str(), dest->num_options,
                           dest->options);
    Cups().freeDests(1, dest);
    if (job > 0)
        return true;
    const char* why = Cups().lastErrorString();
    error = why && *why ? why : "the print system refused the job";
    return false;
}
