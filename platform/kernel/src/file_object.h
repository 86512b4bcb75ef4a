// The kernel object behind a CreateFileW handle.
#pragma once

#include "handles.h"

namespace zv::kernel {

class FileObject : public KernelObject {
 public:
  FileObject(int fd, bool canRead, bool canWrite) : fd_(fd), canRead_(canRead), canWrite_(canWrite) {}
  ~FileObject() override;
  FileObject(const FileObject&) = delete;
  FileObject& operator=(const FileObject&) = delete;

  int fd() const { return fd_; }
  bool canRead() const { return canRead_; }
  bool canWrite() const { return canWrite_; }

 private:
  int fd_;
  bool canRead_;
  bool canWrite_;
};

}  // namespace zv::kernel
