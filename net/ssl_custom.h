// The interface of a TLS plug-in behind a TTCPBlockSocket. This base class holds the settings and
// refuses every operation ("SSL/TLS support is not compiled!"); SSLEnabled stays false, so the
// socket never routes traffic through it. A real plug-in overrides the operations.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "net/ssl_types.h"

namespace ov {

class TTCPBlockSocket;

class TCustomSSL {
 public:
  // The owning socket is not owned; it may be null for a plug-in made only to hold settings.
  explicit TCustomSSL(TTCPBlockSocket* owner);
  virtual ~TCustomSSL();
  TCustomSSL(const TCustomSSL&) = delete;
  TCustomSSL& operator=(const TCustomSSL&) = delete;

  // Copies the settings of another plug-in; leaves the event, the SSH channel settings, the owner
  // and the connection state alone.
  virtual void Assign(const TCustomSSL& value);

  virtual void SetCertCAFile(const std::string& value);
  virtual bool PluginReserved();

  virtual std::string LibVersion();
  virtual std::string LibName();

  virtual bool Connect();
  virtual bool Accept();
  virtual bool Shutdown();
  virtual bool BiShutdown();
  // Byte counts as the socket's own calls give them; -1 on failure.
  virtual int SendBuffer(const void* Buffer, int Len);
  virtual int RecvBuffer(void* Buffer, int Len);
  virtual int WaitingData();

  virtual std::string GetSSLVersion();
  virtual std::string GetPeerSubject();
  virtual int GetPeerSerialNo();
  virtual std::string GetPeerIssuer();
  virtual std::string GetPeerName();
  virtual std::uint32_t GetPeerNameHash();
  virtual std::string GetPeerFingerprint();
  virtual std::string GetCertInfo();
  virtual std::string GetCipherName();
  virtual int GetCipherBits();
  virtual int GetCipherAlgBits();
  virtual int GetVerifyCert();

  TTCPBlockSocket* Owner() const { return owner_; }
  bool SSLEnabled() const { return ssl_enabled_; }
  std::int32_t LastError() const { return last_error_; }
  const std::string& LastErrorDesc() const { return last_error_desc_; }
  const std::string& CertCAFile() const { return cert_ca_file_; }

  THookVerifyCert OnVerifyCert;
  TSSLType SSLType = TSSLType::LT_all;
  std::string KeyPassword;
  std::string Ciphers;
  std::string CertificateFile;
  std::string PrivateKeyFile;
  std::string Certificate;  // bytes
  std::string PrivateKey;   // bytes
  std::string PFX;          // bytes
  std::string PFXfile;
  std::string CertCA;            // bytes
  std::string TrustCertificate;  // bytes
  std::string TrustCertificateFile;
  bool VerifyCert = false;
  std::string Username;
  std::string Password;
  std::string SSHChannelType;
  std::string SSHChannelArg1;
  std::string SSHChannelArg2;
  std::int32_t CertComplianceLevel = -1;
  std::string SNIHost;

 protected:
  // Records that the operation is not available in this build.
  void FailNotSupported();
  void SetSSLEnabled(bool value) { ssl_enabled_ = value; }
  void SetLastError(std::int32_t code, std::string text);

 private:
  TTCPBlockSocket* owner_;
  bool ssl_enabled_ = false;
  std::int32_t last_error_ = 0;
  std::string last_error_desc_;
  std::string cert_ca_file_;
};

// Creates a plug-in of one class for a socket: the way a socket is told which TLS to use.
using TSSLClass = std::unique_ptr<TCustomSSL> (*)(TTCPBlockSocket* owner);

// The plug-in class a socket made without an explicit one gets (the one without TLS).
extern TSSLClass DefaultSSLPlugin;

}  // namespace ov
