#pragma once

// A small chronology to lose and a large one to open instead, for the tests
// of loads that report progress and may be stopped.

#include "AnnaluxDoc.h"
#include "GengouEra.h"
#include "HeaderManager.h"
#include "LargeLibrary.h"
#include "Sjis.h"
#include "TableContents.h"
#include "TempDir.h"
#include "YearEvent.h"

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <sys/stat.h>

class LoadFixture
{
public:
    explicit LoadFixture(const TempDir& dir) : m_dir(dir)
    {
        ::mkdir(m_dir.File("small").c_str(), 0755);
        ::mkdir(m_dir.File("large").c_str(), 0755);
    }

    // small/small.anx: the year column and one event library of three events.
    std::string WriteSmallProject()
    {
        CYearEvent table;
        table.SetTableName(Sjis("小さな年表"));
        for (int year : {1600, 1603, 1615}) {
            SEventData rec;
            rec.year = year;
            rec.text = Sjis("出来事") + std::to_string(year);
            table.SetData(rec, true, -1, EP_EVERY);
        }
        TempDir::Write(m_dir.File("small/e.lev"), table.MakeFileContent());
        return SaveProject("small/small.anx", {{4, "small/e.lev"}});
    }

    // large/large.anx: era names, two event libraries of some megabytes
    // together and, last, an event library whose file is gone.
    std::string WriteLargeProject(int events = 60000)
    {
        TempDir::Write(m_dir.File("large/g.lgn"), TempDir::Read(ANNALUX_SAMPLES_DIR "/gengou.lgn"));
        WriteLargeEventLibrary(m_dir.File("large/a.lev"), events, "A", 1);
        WriteLargeEventLibrary(m_dir.File("large/b.lev"), events / 2, "B", 2);
        TempDir::Write(m_dir.File("large/gone.lev"),
                       TempDir::Read(ANNALUX_SAMPLES_DIR "/sekaishi.lev"));
        const std::string path = SaveProject(
            "large/large.anx",
            {{1, "large/g.lgn"}, {4, "large/a.lev"}, {4, "large/b.lev"}, {4, "large/gone.lev"}});
        std::remove(m_dir.File("large/gone.lev").c_str());
        return path;
    }

    // Every file under the folder with its bytes.
    std::map<std::string, std::string> Files() const
    {
        std::map<std::string, std::string> out;
        for (const char* name : {"small/small.anx", "small/e.lev", "large/large.anx", "large/g.lgn",
                                 "large/a.lev", "large/b.lev", "large/gone.lev"}) {
            struct stat st;
            if (::stat(m_dir.File(name).c_str(), &st) == 0)
                out[name] = TempDir::Read(m_dir.File(name));
        }
        return out;
    }

    // The bytes the large project's libraries hold together.
    uint64_t LargeLibraryBytes() const
    {
        uint64_t total = 0;
        for (const char* name : {"large/g.lgn", "large/a.lev", "large/b.lev"}) {
            struct stat st;
            if (::stat(m_dir.File(name).c_str(), &st) == 0)
                total += static_cast<uint64_t>(st.st_size);
        }
        return total;
    }

    // A chronology as one comparable text: its name, flags, columns and
    // every library's records.
    static std::string Describe(const CAnnaluxDoc& doc)
    {
        std::string out = doc.GetPathName() + "|" + doc.GetTitle() +
                          (doc.IsModified() ? "|modified" : "|clean") + "|scale " +
                          std::to_string(doc.GetScaleYear()) + "\n";
        const CHeaderManager& columns = doc.GetColumns();
        for (int i = 0; i < columns.GetCount(); ++i) {
            out += std::to_string(columns.GetKind(i)) + " " + std::to_string(columns.GetLeft(i)) +
                   " " + std::to_string(columns.GetWidth(i));
            if (const CTableBase* table = columns.GetTable(i))
                out += " " + table->GetFileName() + " [" + Utf8(table->GetTableName()) + "]" +
                       (table->GetModified() ? " modified" : "");
            out += "\n";
        }
        // The records by count and a digest, so that a failure stays readable.
        for (int i = 0; i < doc.GetEventTableCount(); ++i) {
            const CYearEvent& table = *doc.GetEventTable(i);
            std::string records;
            for (const SEventData& rec : Records(table))
                records += std::to_string(rec.year) + "," + std::to_string(rec.month) + "," +
                           std::to_string(rec.day) + "," + rec.text + "," + rec.supplement + "," +
                           std::to_string(rec.priority) + ";";
            out += "events " + std::to_string(i) + ": " + std::to_string(table.GetLen()) +
                   " records, digest " + std::to_string(std::hash<std::string>()(records)) + "\n";
        }
        for (int i = 0; i < doc.GetEraNameTableCount(); ++i)
            out += "eras " + std::to_string(i) + ": " +
                   std::to_string(Names(*doc.GetEraNameTable(i)).size()) + " names\n";
        return out;
    }

private:
    std::string SaveProject(const std::string& name,
                            const std::vector<std::pair<int, std::string>>& libraries)
    {
        CAnnaluxDoc doc;
        CHeaderManager& columns = doc.GetColumns();
        columns.EnsureYearColumn(50);
        for (const auto& [kind, file] : libraries) {
            const std::string path = m_dir.File(file);
            CTableBase* table = nullptr;
            if (kind == HT_EVENT) {
                auto events = std::make_unique<CYearEvent>();
                events->ReadFile(path.c_str(), false);
                table = doc.AddEventTable(std::move(events));
            } else {
                auto eras = std::make_unique<CGengouEra>();
                eras->ReadFile(path.c_str(), static_cast<EHeaderType>(kind), true);
                table = doc.AddEraNameTable(std::move(eras));
            }
            columns.Insert(kind, table, columns.GetCount(), 100 + 10 * columns.GetCount());
        }
        const std::string path = m_dir.File(name);
        doc.OnSaveDocument(path);
        return path;
    }

    const TempDir& m_dir;
};
