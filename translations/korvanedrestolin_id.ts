<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="id_ID">
<context>
    <name>DemoHost</name>
    <message>
        <source>The host simulator %1 did not start: %2</source>
        <translation>Simulator host %1 tidak dapat dijalankan: %2</translation>
    </message>
    <message>
        <source>The host simulator %1 gave no port.</source>
        <translation>Simulator host %1 tidak memberikan port.</translation>
    </message>
</context>
<context>
    <name>LogonRefusal</name>
    <message>
        <source>Password salah</source>
        <translation>Password salah</translation>
    </message>
    <message>
        <source>The NCP logon was refused.</source>
        <translation>Logon NCP ditolak.</translation>
    </message>
    <message>
        <source>The TACL logon was refused.</source>
        <translation>Logon TACL ditolak.</translation>
    </message>
    <message>
        <source>The host answered: %1</source>
        <translation>Jawaban host: %1</translation>
    </message>
</context>
<context>
    <name>TfrmAbout</name>
    <message>
        <source>About</source>
        <translation>Tentang</translation>
    </message>
    <message>
        <source>Korvanedrestolin picture</source>
        <translation>Gambar Korvanedrestolin</translation>
    </message>
    <message>
        <source>Product and version</source>
        <translation>Produk dan versi</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Versi %1</translation>
    </message>
    <message>
        <source>Settings file:</source>
        <translation>Berkas pengaturan:</translation>
    </message>
</context>
<context>
    <name>TfrmAuth</name>
    <message>
        <source>&amp;Host</source>
        <translation>&amp;Host</translation>
    </message>
    <message>
        <source>Host</source>
        <translation>Host</translation>
    </message>
    <message>
        <source>&amp;User</source>
        <translation>&amp;Pengguna</translation>
    </message>
    <message>
        <source>User</source>
        <translation>Pengguna</translation>
    </message>
    <message>
        <source>&amp;Password</source>
        <translation>&amp;Kata sandi</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Kata sandi</translation>
    </message>
    <message>
        <source>NCP logon to %1</source>
        <translation>Logon NCP ke %1</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>Masuk</translation>
    </message>
    <message>
        <source>NCP &amp;user</source>
        <translation>&amp;Pengguna NCP</translation>
    </message>
    <message>
        <source>&amp;Log on</source>
        <translation>&amp;Logon</translation>
    </message>
    <message>
        <source>&amp;Connect</source>
        <translation>&amp;Sambungkan</translation>
    </message>
    <message>
        <source>Not remembered, the settings file cannot hold these names: %1</source>
        <translation>Tidak diingat, berkas pengaturan tidak dapat menyimpan nama-nama ini: %1</translation>
    </message>
</context>
<context>
    <name>TfrmCertificate</name>
    <message>
        <source>Host certificate not verified</source>
        <translation>Sertifikat host tidak terverifikasi</translation>
    </message>
    <message>
        <source>Certificate</source>
        <translation>Sertifikat</translation>
    </message>
    <message>
        <source>&amp;Trust for this host</source>
        <translation>&amp;Percayai untuk host ini</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Batal</translation>
    </message>
    <message>
        <source>The certificate of %1 was not accepted:
%2.
Nothing was sent to the host.

SHA-256 fingerprint:
%3

Subject: %4
Issuer: %5
Valid from %6 to %7

Trust it only if you know it is the host&apos;s own. It is remembered for this host; a different certificate will be refused.</source>
        <translation>Sertifikat %1 tidak diterima:
%2.
Tidak ada yang dikirim ke host.

Sidik jari SHA-256:
%3

Subjek: %4
Penerbit: %5
Berlaku dari %6 sampai %7

Percayai hanya jika Anda tahu sertifikat ini milik host itu sendiri. Sertifikat ini diingat untuk host ini; sertifikat lain akan ditolak.</translation>
    </message>
</context>
<context>
    <name>TfrmDebug</name>
    <message>
        <source>Debug</source>
        <translation>Debug</translation>
    </message>
    <message>
        <source>Debug transcript</source>
        <translation>Transkrip debug</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Bersihkan</translation>
    </message>
</context>
<context>
    <name>TfrmHostKey</name>
    <message>
        <source>SSH host key changed</source>
        <translation>Kunci host SSH berubah</translation>
    </message>
    <message>
        <source>Unknown SSH host key</source>
        <translation>Kunci host SSH tidak dikenal</translation>
    </message>
    <message>
        <source>Host key</source>
        <translation>Kunci host</translation>
    </message>
    <message>
        <source>&amp;Accept and connect</source>
        <translation>&amp;Terima dan sambungkan</translation>
    </message>
    <message>
        <source>Connect &amp;once</source>
        <translation>Sambungkan &amp;sekali</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Tutup</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Batal</translation>
    </message>
    <message>
        <source>The SSH host key of %1 is not in the known-hosts file %2. Nothing was sent to the host.

Key type: %3
SHA-256 fingerprint:
%4

Accept it only if the host&apos;s administrator confirms this fingerprint. Accept and connect adds it to the file; Connect once uses it for this connection only.</source>
        <translation>Kunci host SSH %1 tidak ada di berkas known-hosts %2. Tidak ada yang dikirim ke host.

Jenis kunci: %3
Sidik jari SHA-256:
%4

Terima hanya jika administrator host membenarkan sidik jari ini. Terima dan sambungkan menambahkannya ke berkas; Sambungkan sekali memakainya hanya untuk sambungan ini.</translation>
    </message>
    <message>
        <source>The SSH host key of %1 has changed. The connection is refused; nothing was sent to the host.

Known key: %2
Offered now: %3 %4

The known-hosts file %5 holds the known key in the line
%6

If the host&apos;s key was replaced on purpose, remove that line, for example with
ssh-keygen -f &apos;%5&apos; -R &apos;%1&apos;
and connect again.</source>
        <translation>Kunci host SSH %1 telah berubah. Sambungan ditolak; tidak ada yang dikirim ke host.

Kunci yang dikenal: %2
Yang ditawarkan sekarang: %3 %4

Berkas known-hosts %5 menyimpan kunci yang dikenal pada baris
%6

Jika kunci host memang sengaja diganti, hapus baris itu, misalnya dengan
ssh-keygen -f &apos;%5&apos; -R &apos;%1&apos;
lalu sambungkan lagi.</translation>
    </message>
</context>
<context>
    <name>TreeFind</name>
    <message>
        <source>Find objects by name</source>
        <translation>Cari objek menurut nama</translation>
    </message>
    <message>
        <source>Find (Ctrl+F)</source>
        <translation>Cari (Ctrl+F)</translation>
    </message>
    <message>
        <source>Abnormal</source>
        <translation>Abnormal</translation>
    </message>
    <message>
        <source>Stopped</source>
        <translation>Berhenti</translation>
    </message>
    <message>
        <source>Starting</source>
        <translation>Memulai</translation>
    </message>
    <message>
        <source>Started</source>
        <translation>Berjalan</translation>
    </message>
    <message>
        <source>Show only %1</source>
        <translation>Tampilkan hanya %1</translation>
    </message>
</context>
</TS>
