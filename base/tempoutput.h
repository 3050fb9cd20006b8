#pragma once
// An output file written under a fresh, unpredictable name in the folder of its final
// name and renamed onto that name only when complete. The temporary file is created
// exclusively (never through a link someone planted), and removed again unless the
// output is committed, so a failed run leaves neither a complete-looking file nor a
// stray temporary.
#include <cstdio>
#include <memory>
#include <string>

class tempoutput {
  public:
    // Creates the temporary file; check ok() (errno tells why it failed).
    explicit tempoutput(std::string finalpath);
    ~tempoutput();
    tempoutput(const tempoutput&) = delete;
    tempoutput& operator=(const tempoutput&) = delete;

    bool ok() const { return static_cast<bool>(file); }
    std::FILE* stream() const { return file.get(); }
    const std::string& path() const { return temporary; }

    // Flushes and closes the file, gives it the permissions a plain create would (0666
    // less the umask) and renames it onto the final name. replace: an existing file of
    // that name may be replaced; without it an existing name makes the commit fail with
    // EEXIST. A link at the final name is replaced by the file, never written through.
    // False (errno set, the temporary removed) on failure.
    bool commit(bool replace);

  private:
    struct closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::string finalpath;
    std::string temporary;
    std::unique_ptr<std::FILE, closer> file;
    bool committed = false;
};
