#pragma once

#include <sql.h>

#include <utility>

namespace fonedesk {

// Owns one ODBC handle and frees it exactly once.
template <SQLSMALLINT HandleType>
class OdbcHandle {
  public:
    OdbcHandle() = default;
    explicit OdbcHandle(SQLHANDLE handle) : m_handle(handle) {}
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;
    OdbcHandle(OdbcHandle&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}
    OdbcHandle& operator=(OdbcHandle&& other) noexcept {
        if (this != &other) {
            Reset(std::exchange(other.m_handle, nullptr));
        }
        return *this;
    }
    ~OdbcHandle() { Reset(); }

    SQLHANDLE Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

    // Frees the handle held so far and takes the new one.
    void Reset(SQLHANDLE handle = nullptr) {
        if (m_handle != nullptr) {
            SQLFreeHandle(HandleType, m_handle);
        }
        m_handle = handle;
    }

    // Where SQLAllocHandle writes the new handle; frees the one held first.
    SQLHANDLE* Receive() {
        Reset();
        return &m_handle;
    }

  private:
    SQLHANDLE m_handle = nullptr;
};

using EnvHandle = OdbcHandle<SQL_HANDLE_ENV>;
using DbcHandle = OdbcHandle<SQL_HANDLE_DBC>;
using StmtHandle = OdbcHandle<SQL_HANDLE_STMT>;

}  // namespace fonedesk
