// FileIO: a file stream with reads and writes of fixed byte order.
//
// Each transfer moves exactly the size of its type with the stream's
// unformatted read or write, reversing the bytes where the family's order
// differs from the platform's.  No transfer checks the stream state.

#ifndef FILEIO_H
#define FILEIO_H

#include <fstream>

class FileIO : public std::fstream {
  public:
    FileIO();
    FileIO(const char* filename, std::ios::openmode state);
    virtual ~FileIO();

    void readBigEndian(char& aNumber);
    void readBigEndian(unsigned char& aNumber);
    void readBigEndian(short& aNumber);
    void readBigEndian(unsigned short& aNumber);
    void readBigEndian(long& aNumber);
    void readBigEndian(unsigned long& aNumber);
    void readBigEndian(int& aNumber);
    void readBigEndian(unsigned int& aNumber);
    void readBigEndian(float& aNumber);
    void readBigEndian(double& aNumber);

    void readLittleEndian(char& aNumber);
    void readLittleEndian(unsigned char& aNumber);
    void readLittleEndian(short& aNumber);
    void readLittleEndian(unsigned short& aNumber);
    void readLittleEndian(long& aNumber);
    void readLittleEndian(unsigned long& aNumber);
    void readLittleEndian(int& aNumber);
    void readLittleEndian(unsigned int& aNumber);
    void readLittleEndian(float& aNumber);
    void readLittleEndian(double& aNumber);

    void readMachineEndian(char& aNumber);
    void readMachineEndian(unsigned char& aNumber);
    void readMachineEndian(short& aNumber);
    void readMachineEndian(unsigned short& aNumber);
    void readMachineEndian(long& aNumber);
    void readMachineEndian(unsigned long& aNumber);
    void readMachineEndian(int& aNumber);
    void readMachineEndian(unsigned int& aNumber);
    void readMachineEndian(float& aNumber);
    void readMachineEndian(double& aNumber);

    void readNotMachineEndian(char& aNumber);
    void readNotMachineEndian(unsigned char& aNumber);
    void readNotMachineEndian(short& aNumber);
    void readNotMachineEndian(unsigned short& aNumber);
    void readNotMachineEndian(long& aNumber);
    void readNotMachineEndian(unsigned long& aNumber);
    void readNotMachineEndian(int& aNumber);
    void readNotMachineEndian(unsigned int& aNumber);
    void readNotMachineEndian(float& aNumber);
    void readNotMachineEndian(double& aNumber);

    void writeBigEndian(char aNumber);
    void writeBigEndian(unsigned char aNumber);
    void writeBigEndian(short aNumber);
    void writeBigEndian(unsigned short aNumber);
    void writeBigEndian(long aNumber);
    void writeBigEndian(unsigned long aNumber);
    void writeBigEndian(int aNumber);
    void writeBigEndian(unsigned int aNumber);
    void writeBigEndian(float aNumber);
    void writeBigEndian(double aNumber);

    void writeLittleEndian(char aNumber);
    void writeLittleEndian(unsigned char aNumber);
    void writeLittleEndian(short aNumber);
    void writeLittleEndian(unsigned short aNumber);
    void writeLittleEndian(long aNumber);
    void writeLittleEndian(unsigned long aNumber);
    void writeLittleEndian(int aNumber);
    void writeLittleEndian(unsigned int aNumber);
    void writeLittleEndian(float aNumber);
    void writeLittleEndian(double aNumber);

    void writeMachineEndian(char aNumber);
    void writeMachineEndian(unsigned char aNumber);
    void writeMachineEndian(short aNumber);
    void writeMachineEndian(unsigned short aNumber);
    void writeMachineEndian(long aNumber);
    void writeMachineEndian(unsigned long aNumber);
    void writeMachineEndian(int aNumber);
    void writeMachineEndian(unsigned int aNumber);
    void writeMachineEndian(float aNumber);
    void writeMachineEndian(double aNumber);

    void writeNotMachineEndian(char aNumber);
    void writeNotMachineEndian(unsigned char aNumber);
    void writeNotMachineEndian(short aNumber);
    void writeNotMachineEndian(unsigned short aNumber);
    void writeNotMachineEndian(long aNumber);
    void writeNotMachineEndian(unsigned long aNumber);
    void writeNotMachineEndian(int aNumber);
    void writeNotMachineEndian(unsigned int aNumber);
    void writeNotMachineEndian(float aNumber);
    void writeNotMachineEndian(double aNumber);

  private:
    char flipBytes(char aNumber);
    unsigned char flipBytes(unsigned char aNumber);
    short flipBytes(short aNumber);
    unsigned short flipBytes(unsigned short aNumber);
    long flipBytes(long aNumber);
    unsigned long flipBytes(unsigned long aNumber);
    int flipBytes(int aNumber);
    unsigned int flipBytes(unsigned int aNumber);
    float flipBytes(float aNumber);
    double flipBytes(double aNumber);
};

#endif
